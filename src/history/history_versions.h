#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// One restorable version as the engine's history printed it.
struct HistoryVersion {
  std::string path;
  std::uint64_t revision = 0;
  double time = 0;                    // seconds since 1970-01-01 00:00 UTC
  std::optional<std::string> device;  // the device that made it, when named
  bool operator==(const HistoryVersion&) const = default;
};

// The versions in the engine's history output, in the order printed; none when
// the output is not JSON, nests deeper than kMaxJsonDepth, or is not an array of
// arrays. Each element is [path, record] and is left out unless it has exactly
// those two items; a string path; an object record whose "content", if present,
// is not null; a "revision" that is an exact unsigned 64-bit integer; and a "time"
// that is a number within the dates a calendar can show. "device" counts only
// when it is a string. Of a member given twice, the last counts.
std::optional<std::vector<HistoryVersion>> readHistory(std::string_view output);

}  // namespace quorvane
