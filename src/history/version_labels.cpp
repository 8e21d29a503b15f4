#include "history/version_labels.h"

#include <unicode/datefmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <unordered_map>

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

std::string utf8(const icu::UnicodeString& text) {
  std::string out;
  text.toUTF8String(out);
  return out;
}

icu::UnicodeString patternOf(const icu::DateFormat& format) {
  icu::UnicodeString pattern;
  if (const auto* simple = dynamic_cast<const icu::SimpleDateFormat*>(&format)) {
    simple->toPattern(pattern);
  }
  return pattern;
}

// Whether a pattern uses a field outside `allowed` (quoted text aside).
bool usesOnly(const icu::UnicodeString& pattern, std::u16string_view allowed) {
  bool quoted = false;
  for (int32_t i = 0; i < pattern.length(); ++i) {
    const char16_t c = pattern.charAt(i);
    if (c == u'\'') {
      quoted = !quoted;
    } else if (!quoted && ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) &&
               allowed.find(c) == std::u16string_view::npos) {
      return false;
    }
  }
  return true;
}

}  // namespace

// A short date and time is the short date of the local day joined to the short
// time of the local minute. A long history has few distinct days and at most
// 1,440 distinct minutes of the day, so each is formatted once and the two are
// joined, when the locale's patterns allow it; otherwise every label is formatted
// whole.
struct VersionLabels::Format {
  std::unique_ptr<icu::DateFormat> dates;
  std::unique_ptr<icu::DateFormat> days;
  std::unique_ptr<icu::DateFormat> minutes;
  bool split = false;
  bool timeFirst = false;
  std::string glue;
  std::unordered_map<std::int64_t, std::string> dayTexts;
  std::unordered_map<std::int64_t, std::string> minuteTexts;

  void prepareSplit(const icu::Locale& where) {
    days.reset(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, where));
    minutes.reset(icu::DateFormat::createTimeInstance(icu::DateFormat::kShort, where));
    if (!days || !minutes) return;
    days->setTimeZone(dates->getTimeZone());
    minutes->setTimeZone(dates->getTimeZone());
    const icu::UnicodeString whole = patternOf(*dates);
    const icu::UnicodeString day = patternOf(*days);
    const icu::UnicodeString minute = patternOf(*minutes);
    // Fields that depend on nothing finer than the local day, and on nothing but
    // the local hour and minute.
    if (day.isEmpty() || minute.isEmpty() || !usesOnly(day, u"GyYuUrQqMLlwWdDFgEec") ||
        !usesOnly(minute, u"aBbhHkKmjJC")) {
      return;
    }
    const bool fits = whole.length() >= day.length() + minute.length();
    const bool dateFirst = fits && whole.startsWith(day) && whole.endsWith(minute);
    timeFirst = fits && !dateFirst && whole.startsWith(minute) && whole.endsWith(day);
    if (!dateFirst && !timeFirst) return;
    // The joining text as it is shown, quotes resolved: from one whole label.
    const UDate probe = 1'800'000'000'000.0;
    const std::string shown = formatWhole(probe);
    const std::string first = utf8(format(timeFirst ? *minutes : *days, probe));
    const std::string last = utf8(format(timeFirst ? *days : *minutes, probe));
    if (shown.size() < first.size() + last.size() || !shown.starts_with(first) ||
        !shown.ends_with(last)) {
      return;
    }
    glue = shown.substr(first.size(), shown.size() - first.size() - last.size());
    split = true;
  }

  static icu::UnicodeString format(const icu::DateFormat& format, UDate when) {
    icu::UnicodeString text;
    format.format(when, text);
    return text;
  }

  std::string formatWhole(UDate when) const { return utf8(format(*dates, when)); }

  std::string formatSplit(UDate when) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t raw = 0;
    int32_t daylight = 0;
    dates->getTimeZone().getOffset(when, false, raw, daylight, status);
    if (U_FAILURE(status)) return formatWhole(when);
    const auto localMinute =
        static_cast<std::int64_t>(std::floor((when + raw + daylight) / 60'000.0));
    const std::int64_t day = localMinute >= 0 ? localMinute / 1440 : (localMinute - 1439) / 1440;
    const std::int64_t minuteOfDay = localMinute - day * 1440;
    const std::string& dayText = cached(dayTexts, day, *days, when);
    const std::string& minuteText = cached(minuteTexts, minuteOfDay, *minutes, when);
    return timeFirst ? minuteText + glue + dayText : dayText + glue + minuteText;
  }

  static const std::string& cached(std::unordered_map<std::int64_t, std::string>& texts,
                                   std::int64_t key, const icu::DateFormat& formatter, UDate when) {
    auto found = texts.find(key);
    if (found == texts.end()) found = texts.emplace(key, utf8(format(formatter, when))).first;
    return found->second;
  }
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
  format_->prepareSplit(where);
}

VersionLabels::~VersionLabels() = default;

std::string VersionLabels::label(const HistoryVersion& version) const {
  std::string when;
  if (format_->dates) {
    const UDate instant = version.time * 1000.0;
    when = format_->split ? format_->formatSplit(instant) : format_->formatWhole(instant);
  }
  return version.path + " — " + when + " — " + version.device.value_or("");
}

}  // namespace quorvane
