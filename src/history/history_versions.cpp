#include "history/history_versions.h"

#include <cmath>

namespace quorvane {
namespace {

// About 270,000 years either side of 1970, as far as calendars are defined.
constexpr double kLatestSeconds = 8.64e12;

// nlohmann reads a number token with a fraction, an exponent, a minus sign or more
// than 64 bits of magnitude as something other than an unsigned integer, and reads
// the others digit by digit, never through a double. So "number_unsigned" holds
// exactly the digits that were printed.
std::optional<std::uint64_t> exactRevision(const Json* value) {
  if (!value || !value->is_number_unsigned()) return std::nullopt;
  return value->get<std::uint64_t>();
}

std::optional<double> calendarTime(const Json* value) {
  if (!value || !value->is_number()) return std::nullopt;
  const double seconds = value->get<double>();
  if (!std::isfinite(seconds) || std::fabs(seconds) > kLatestSeconds) return std::nullopt;
  return seconds;
}

}  // namespace

std::optional<HistoryVersion> historyVersion(const Json& element) {
  if (!element.is_array() || element.size() != 2) return std::nullopt;
  const Json& path = element[0];
  const Json& record = element[1];
  if (!path.is_string() || !record.is_object()) return std::nullopt;
  if (const Json* content = member(record, "content"); content && content->is_null()) {
    return std::nullopt;
  }
  const std::optional<std::uint64_t> revision = exactRevision(member(record, "revision"));
  if (!revision) return std::nullopt;
  const std::optional<double> time = calendarTime(member(record, "time"));
  if (!time) return std::nullopt;

  HistoryVersion version{path.get<std::string>(), *revision, *time, std::nullopt};
  if (const Json* device = member(record, "device"); device && device->is_string()) {
    version.device = device->get<std::string>();
  }
  return version;
}

std::optional<std::vector<HistoryVersion>> readHistory(std::string_view output) {
  const std::optional<Json> history = parseJson(output);
  if (!history || !history->is_array()) return std::nullopt;
  for (const Json& element : *history) {
    if (!element.is_array()) return std::nullopt;
  }
  std::vector<HistoryVersion> versions;
  versions.reserve(history->size());
  for (const Json& element : *history) {
    if (std::optional<HistoryVersion> version = historyVersion(element)) {
      versions.push_back(std::move(*version));
    }
  }
  return versions;
}

}  // namespace quorvane
