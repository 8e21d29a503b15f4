#pragma once

#include <memory>
#include <string>

#include "history/history_versions.h"

namespace quorvane {

// Labels versions as "path — date and time — device", the date and time in the
// short style of a locale and time zone (to the minute); a version without a
// device ends in " — ". Remembers the texts of the days and minutes it has
// shown, so one object serves one thread.
class VersionLabels {
 public:
  // Empty names stand for the user's own locale (LC_ALL, LC_TIME, LANG) and time
  // zone; tests name fixed ones, e.g. "de_DE" and "Europe/Berlin".
  explicit VersionLabels(const std::string& locale = {}, const std::string& timeZone = {});
  ~VersionLabels();
  VersionLabels(const VersionLabels&) = delete;
  VersionLabels& operator=(const VersionLabels&) = delete;

  std::string label(const HistoryVersion& version) const;

 private:
  struct Format;
  std::unique_ptr<Format> format_;
};

}  // namespace quorvane
