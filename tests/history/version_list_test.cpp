#include "history/version_list.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

constexpr double kMoment = 1'800'000'000;  // 2027-01-15 08:00 UTC

TEST(VersionLabels, ShowPathShortDateAndTimeInTheLocaleAndZoneAndDevice) {
  const struct {
    const char* locale;
    const char* zone;
    HistoryVersion version;
    std::string label;
  } cases[] = {
      {"de_DE",
       "Europe/Berlin",
       {"docs/a.txt", 1, kMoment, "Desk"},
       "docs/a.txt — 15.01.27, 09:00 — Desk"},
      {"en_GB",
       "America/New_York",
       {"a", 1, kMoment + 59.9, "Desk"},
       "a — 15/01/2027, 03:00 — Desk"},
      {"de_DE.UTF-8",
       "Asia/Tokyo",
       {"b c/ä.txt", 1, kMoment, std::nullopt},
       "b c/ä.txt — 15.01.27, 17:00 — "},
      {"fr_FR", "UTC", {"x", 1, 0, "Mac"}, "x — 01/01/1970 00:00 — Mac"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VersionLabels(c.locale, c.zone).label(c.version), c.label) << c.locale;
  }
}

// The order of the list and the pairing of items with revisions are checked by the
// flow (history_flow_test); here the dialog and the reading of its answer.
TEST(RestoreDialog, OffersOneItemPerVersionAndReadsThePositionChosen) {
  const std::vector<VersionEntry> list = {{12, "b"}, {11, "b"}, {10, "a"}};
  const AlertField popUp = restoreDialog(list).accessory->fields.at(0);
  EXPECT_EQ(popUp.frame, (Frame{0, 0, 600, 28}));
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
