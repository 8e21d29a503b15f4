#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/json_document.h"

namespace quorvane {

// One restorable version as the engine's history printed it.
struct HistoryVersion {
  std::string path;
  std::uint64_t revision = 0;
  double time = 0;                    // seconds since 1970-01-01 00:00 UTC
  std::optional<std::string> device;  // the device that made it, when named
  bool operator==(const HistoryVersion&) const = default;
};

// The version one history element describes: [path, {"content", "revision",
// "time", "device"}]; none when the element is malformed. Checked in this order:
// exactly two items; a string path; an object record; "content" absent or not
// null; "revision" an exact unsigned 64-bit integer; "time" a number within the
// dates a calendar can show. "device" counts only when it is a string.
std::optional<HistoryVersion> historyVersion(const Json& element);

// The versions of a whole history output, in the order printed, malformed elements
// left out; none when the output is not JSON or not an array of arrays.
std::optional<std::vector<HistoryVersion>> readHistory(std::string_view output);

}  // namespace quorvane
