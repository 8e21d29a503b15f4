#include "history/version_labels.h"

#include <unicode/datefmt.h>
#include <unicode/timezone.h>

#include <cstdlib>
#include <string_view>

namespace quorvane {
namespace {

// Dates follow the time category of the user's settings, as POSIX orders them.
// ICU reads "C.UTF-8" as a language called "c"; POSIX means its own plain locale.
icu::Locale userTimeLocale() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (!value || !*value) continue;
    const icu::Locale locale = icu::Locale::createCanonical(value);
    const std::string_view language = locale.getLanguage();
    if (language == "c" || language == "posix") return icu::Locale("en_US_POSIX");
    return locale;
  }
  return icu::Locale::getDefault();
}

}  // namespace

struct VersionLabels::Format {
  std::unique_ptr<icu::DateFormat> dates;
};

VersionLabels::VersionLabels(const std::string& locale, const std::string& timeZone)
    : format_(std::make_unique<Format>()) {
  const icu::Locale where =
      locale.empty() ? userTimeLocale() : icu::Locale::createCanonical(locale.c_str());
  format_->dates.reset(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kShort,
                                                               icu::DateFormat::kShort, where));
  if (!format_->dates) return;
  format_->dates->adoptTimeZone(
      timeZone.empty() ? icu::TimeZone::createDefault()
                       : icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(timeZone)));
}

VersionLabels::~VersionLabels() = default;

std::string VersionLabels::label(const HistoryVersion& version) const {
  std::string when;
  if (format_->dates) {
    icu::UnicodeString formatted;
    format_->dates->format(version.time * 1000.0, formatted);
    formatted.toUTF8String(when);
  }
  return version.path + " — " + when + " — " + version.device.value_or("");
}

}  // namespace quorvane
