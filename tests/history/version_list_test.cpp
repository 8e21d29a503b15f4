#include "history/version_list.h"

#include <gtest/gtest.h>
#include <unicode/datefmt.h>
#include <unicode/timezone.h>

#include <memory>

namespace quorvane {
namespace {

constexpr double kMoment = 1'800'000'000;  // 2027-01-15 08:00 UTC

TEST(VersionLabels, ShowPathShortDateAndTimeInTheLocaleAndZoneAndDevice) {
  EXPECT_EQ(VersionLabels("de_DE.UTF-8", "Asia/Tokyo").label({"b c/ä.txt", 1, kMoment, {}}),
            "b c/ä.txt — 15.01.27, 17:00 — ");
}

// Labels reuse the texts of days and minutes already shown; they must read as if
// each were formatted whole, across daylight saving changes, offsets of odd
// minutes and seconds, times before 1970, other calendars and digits.
TEST(VersionLabels, ReadAsIfEachWereFormattedWhole) {
  const char* locales[] = {"en_US", "de_DE", "ja_JP",      "ar_EG", "fa_IR",
                           "th_TH", "he_IL", "zh_Hant_TW", "my_MM", "en_US_POSIX"};
  const char* zones[] = {"Europe/Berlin",       "America/New_York", "Asia/Kolkata",
                         "Australia/Lord_Howe", "Africa/Monrovia",  "Pacific/Chatham"};
  // Each span covers 83 days: 1938, Monrovia's change of offset in 1972, the
  // autumn and spring changes of 2026-27.
  const double spans[] = {-1'000'000'000, 63'000'000, 1'790'000'000, 1'800'000'000};
  for (const char* locale : locales) {
    for (const char* zone : zones) {
      const VersionLabels labels(locale, zone);
      std::unique_ptr<icu::DateFormat> whole(icu::DateFormat::createDateTimeInstance(
          icu::DateFormat::kShort, icu::DateFormat::kShort, icu::Locale::createCanonical(locale)));
      whole->adoptTimeZone(icu::TimeZone::createTimeZone(zone));
      for (double start : spans) {
        for (int step = 0; step < 500; ++step) {
          const double time = start + step * 14'431.7;
          icu::UnicodeString formatted;
          std::string expected;
          whole->format(time * 1000.0, formatted).toUTF8String(expected);
          ASSERT_EQ(labels.label({"p", 1, time, "d"}), "p — " + expected + " — d")
              << locale << " " << zone << " " << time;
        }
      }
    }
  }
}

// The order of the list and the pairing of items with revisions are checked by the
// flow (history_flow_test); here the dialog and the reading of its answer.
TEST(RestoreDialog, OffersOneItemPerVersionAndReadsThePositionChosen) {
  const std::vector<VersionEntry> list = {{12, "b"}, {11, "b"}, {10, "a"}};
  const AlertField popUp = restoreDialog(list).accessory->fields.at(0);
  EXPECT_EQ(popUp.items, (std::vector<std::string>{"b", "b", "a"}));
  EXPECT_EQ(popUp.selected, 0);

  const struct {
    int response, selected;
    std::optional<std::size_t> chosen;
  } cases[] = {
      {1000, 1, 1},
      {1001, 1, std::nullopt},
      {1000, 3, std::nullopt},
      {kModalResponseAbort, 0, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(chosenVersion({c.response, {{"b", c.selected}}}, list.size()), c.chosen)
        << c.response << " " << c.selected;
  }
}

}  // namespace
}  // namespace quorvane
