#include <gtest/gtest.h>
#include <unicode/datefmt.h>
#include <unicode/timezone.h>

#include <memory>

#include "history/history_versions.h"
#include "history/version_list.h"
#include "support/flow_run.h"

namespace quorvane::testing {
namespace {

const std::string kHistory = "history --config {config}";
const std::string kRestore = "restore --config {config} --revision ";

Json element(const std::string& path, const Json& revision) {
  return Json::array({path, {{"revision", revision}, {"time", 1'800'000'000}, {"device", "D"}}});
}

// history prints `history` (as is when a string); restore answers `restore`.
std::vector<std::pair<std::string, EngineResult>> engine(const Json& history,
                                                         EngineResult restore = {0, ""}) {
  return {{"history", {0, history.is_string() ? history.get<std::string>() : history.dump()}},
          {"restore", restore}};
}

Step restoring(int item) {
  return {A, "Restore a file version +busy", "", {}, item};
}

// How many versions the restore dialog offered, and the path of the first.
std::pair<std::size_t, std::string> offered(const FakeUi& ui) {
  for (const Alert& alert : ui.alerts) {
    if (alert.messageText != "Restore a file version") continue;
    const std::vector<std::string>& items = alert.accessory->fields.at(0).items;
    return {items.size(), items.at(0).substr(0, items.at(0).find(" — "))};
  }
  return {0, ""};
}

// The list newest first, each item restoring its own revision, and every way to
// the two messages, with the watch started again after each.
TEST(ShowHistory, OffersTheVersionsNewestFirstAndRestoresTheChosenRevision) {
  const Json abc = Json::array({element("a", 1), element("b", 2), {"malformed"}, element("c", 3)});
  const Step failed = {A, "Could not load history +busy"};
  const struct {
    FlowCase flow;
    std::pair<std::size_t, std::string> offered = {0, ""};
  } cases[] = {
      // clang-format off
      {{"the second of three", engine(abc, {0, "Restored b\n"}),
        {restoring(1), {A, "Version restored +busy"}}, {kHistory, kRestore + "2"}, std::nullopt,
        "Restored b\n"}, {3, "c"}},
      {{"equal labels stay apart", engine(Json::array({element("a", 7), element("a", 8)})),
        {restoring(1), {A, "Version restored +busy"}}, {kHistory, kRestore + "7"}}, {2, "a"}},
      {{"the engine cannot restore", engine(abc, {1, "gone"}),
        {restoring(0), {A, "Could not restore +busy"}}, {kHistory, kRestore + "3"}, std::nullopt,
        "gone"}, {3, "c"}},
      {{"cancelled", engine(abc), {{A, "Restore a file version +busy", "Cancel"}}, {kHistory}},
       {3, "c"}},
      {{"the engine fails", {{"history", {2, "no server"}}}, {failed}, {kHistory}, std::nullopt,
        "no server"}},
      {{"not an array of arrays", engine(Json::array({"a"})), {failed}, {kHistory}, std::nullopt,
        R"(["a"])"}},
      {{"no versions", engine(Json::array()), {{A, "No file history yet +busy"}}, {kHistory}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    expectFlow(h, "Version History…", c.flow);
    EXPECT_EQ(offered(h.fake.ui), c.offered) << c.flow.name;
  }
}

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

// The version read from a history of this one element, if any.
std::optional<HistoryVersion> fromText(const std::string& element) {
  const auto history = readHistory("[" + element + "]");
  EXPECT_TRUE(history) << element;
  if (!history || history->empty()) return std::nullopt;
  EXPECT_EQ(history->size(), 1u);
  return history->front();
}

TEST(HistoryVersion, TakesWellFormedElementsAndSkipsTheRest) {
  const std::optional<HistoryVersion> none;
  const struct {
    std::string element;
    std::optional<HistoryVersion> version;
  } cases[] = {
      {R"(["a.txt", {"revision": 7, "time": 1.5, "device": "Desk"}])",
       HistoryVersion{"a.txt", 7, 1.5, "Desk"}},
      {R"(["a", {"revision": 7, "time": -86400, "content": "x"}])",
       HistoryVersion{"a", 7, -86400, std::nullopt}},
      {R"(["a", {"revision": 7, "time": 0, "content": false, "device": 5}])",
       HistoryVersion{"a", 7, 0, std::nullopt}},
      {R"(["a", {"revision": 7, "time": 0, "content": null}])", none},
      {R"(["a", {"revision": 7, "time": 0}, 3])", none},
      {R"(["a", {"time": 0}])", none},
      {R"(["a", {"revision": 7}])", none},
      {R"(["a", {"revision": 7, "time": "0"}])", none},
      {R"(["a", {"revision": 7, "time": 1e300}])", none},  // no calendar reaches it
      {R"(["a\u0000b", {"revision": 1, "time": 0, "device": "\u0000"}])",
       HistoryVersion{std::string("a\0b", 3), 1, 0, std::string(1, '\0')}},
      {R"(["a", {"revision": 1, "time": 0, "device": "x", "revision": 2, "device": 3}])",
       HistoryVersion{"a", 2, 0, std::nullopt}},  // the last of a member given twice
      {R"(["a", {"revision": 1, "time": 0, "content": {"revision": 9, "content": null}}])",
       HistoryVersion{"a", 1, 0, std::nullopt}},  // members of a nested object are its own
      {R"(["a", {"revision": 1, "time": 0}, {"revision": 2, "time": 0}])", none},
  };
  for (const auto& c : cases) EXPECT_EQ(fromText(c.element), c.version) << c.element;
}

// A revision is sent back to the engine, so it must be the very number printed.
TEST(HistoryVersion, AcceptsOnlyExactUnsigned64BitRevisions) {
  const struct {
    std::string revision;
    std::optional<std::uint64_t> accepted;
  } cases[] = {
      {"0", 0},
      {"18446744073709551615", 18446744073709551615u},
      {"9007199254740993", 9007199254740993u},  // not a double
      {"18446744073709551616", std::nullopt},
      {"2.5", std::nullopt},
      {"-1", std::nullopt},
      {"1e3", std::nullopt},
      {"\"5\"", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto version = fromText(R"(["a", {"time": 0, "revision": )" + c.revision + "}]");
    EXPECT_EQ(version ? std::optional(version->revision) : std::nullopt, c.accepted) << c.revision;
  }
}

TEST(ReadHistory, FailsUnlessTheOutputIsAnArrayOfArrays) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const struct {
    std::string output;
    std::optional<std::size_t> versions;
  } cases[] = {
      {"[]", 0},
      {R"([[], [1, 2, 3], ["a", {"revision": 1, "time": 0}]])", 1},
      {"{}", std::nullopt},
      {R"([["a", {"revision": 1, "time": 0}], "b"])", std::nullopt},
      {"not JSON", std::nullopt},
      {"[\"\xff\"]", std::nullopt},  // invalid UTF-8
      {deep, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto history = readHistory(c.output);
    EXPECT_EQ(history ? std::optional(history->size()) : std::nullopt, c.versions)
        << c.output.substr(0, 60);
  }
}

}  // namespace
}  // namespace quorvane::testing
