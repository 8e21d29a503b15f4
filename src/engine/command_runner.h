#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"

namespace quorvane {

// Runs one short engine command to its end and blocks meanwhile, so call it on a
// background thread. The engine's stdout and stderr share one pipe; its stdin is a
// pipe that receives `input` (when given) and is then closed. Output that is not
// valid UTF-8 gives an empty text with the real status. A failure to launch, or to
// write or close the input, gives status -1 and the system's description.
EngineResult runEngineCommand(const std::filesystem::path& engine,
                              const std::vector<std::string>& arguments,
                              const std::optional<std::string>& input);

}  // namespace quorvane
