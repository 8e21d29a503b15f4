#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "common/json_document.h"

namespace quorvane {

// What the front end reads of the client configuration the engine writes. Both
// take the file's content as it is and never fail: anything unexpected is none.

// The sync folder: the "folder" string, as a path.
std::optional<std::filesystem::path> folderInConfig(std::string_view content);

// The account details this computer was set up with: "invitation" -> "account",
// stored whole when both are objects.
std::optional<Json> accountInConfig(std::string_view content);

}  // namespace quorvane
