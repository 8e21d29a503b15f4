#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/flow_context.h"

namespace quorvane {

// The path chosen in `panel`, or none when it was not answered with OK.
std::optional<std::filesystem::path> choose(Dialogs& dialogs, const OpenPanel& panel);

// The folder panel with this title and message: one folder, which the person may
// create, starting in the home folder.
std::optional<std::filesystem::path> chooseFolder(FlowContext& flow, std::string title,
                                                  std::string message);

}  // namespace quorvane
