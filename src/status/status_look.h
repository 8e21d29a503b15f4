#pragma once

#include <optional>
#include <string>

#include "common/json_document.h"

namespace quorvane {

// The indicator's symbols.
inline constexpr const char* kSymbolInProgress = "arrow.triangle.2.circlepath";
inline constexpr const char* kSymbolSynced = "checkmark.icloud";
inline constexpr const char* kSymbolWaiting = "exclamationmark.icloud";
inline constexpr const char* kSymbolAttention = "exclamationmark.triangle";

// The engine rewrites its status file far more often than this while it runs.
inline constexpr double kStaleAfterSeconds = 150.0;

struct StatusLook {
  std::string symbol;
  std::string text;  // whole: the tooltip and the image's accessibility text
  bool operator==(const StatusLook&) const = default;
};

// The indicator for the status file's content at `now` (seconds since 1970).
// `content` is none when there is no sync folder or the file could not be read;
// whatever the file holds gives a look, never an error.
StatusLook statusLook(const std::optional<std::string>& content, double now);
// The same for a status file already parsed (parseTopLevelScalars); none when it
// was missing or not a JSON object.
StatusLook statusLook(const std::optional<Json>& status, double now);

}  // namespace quorvane
