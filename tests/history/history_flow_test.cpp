#include <gtest/gtest.h>

#include "support/flow_trace.h"

namespace quorvane::testing {
namespace {

constexpr bool busy = true;
const std::string kHistory = "history --config {config}";
const std::string kRestore = "restore --config {config} --revision ";

Json element(const std::string& path, const Json& revision) {
  return Json::array({path, {{"revision", revision}, {"time", 1'800'000'000}, {"device", "D"}}});
}

// history prints `history` (as is when a string); restore does `restore`.
std::string engine(const Json& history, const Json& restore = Json::object()) {
  return Json{{"history", {{"stdout", history.is_string() ? history : Json(history.dump())}}},
              {"restore", restore}}
      .dump();
}

Step restoring(int item) {
  return {"Restore a file version", busy, "", {}, item};
}

// The paths of the pop-up's items, in order.
std::vector<std::string> offeredPaths(const FakeUi& ui) {
  std::vector<std::string> paths;
  for (const Alert& alert : ui.alerts) {
    if (alert.messageText != "Restore a file version") continue;
    for (const std::string& item : alert.accessory->fields.at(0).items) {
      paths.push_back(item.substr(0, item.find(" — ")));
    }
  }
  return paths;
}

TEST(ShowHistory, OffersTheVersionsNewestFirstAndRestoresTheChosenRevision) {
  const Json abc = Json::array({element("a", 1), element("b", 2), {"malformed"}, element("c", 3)});
  const struct {
    FlowCase flow;
    std::vector<std::string> offered;
  } cases[] = {
      {{"the second of three",
        engine(abc, {{"stdout", "Restored b\n"}}),
        {restoring(1), {"Version restored"}},
        {kHistory, kRestore + "2"},
        std::nullopt,
        "Restored b\n"},
       {"c", "b", "a"}},
      {{"equal labels stay apart",
        engine(Json::array({element("a", 7), element("a", 8)})),
        {restoring(1), {"Version restored"}},
        {kHistory, kRestore + "7"}},
       {"a", "a"}},
      {{"the largest revision, as printed",
        engine(R"([["a", {"revision": 18446744073709551615, "time": 0}]])"),
        {restoring(0), {"Version restored"}},
        {kHistory, kRestore + "18446744073709551615"}},
       {"a"}},
      {{"the engine cannot restore",
        engine(abc, {{"stderr", "gone"}, {"exit_code", 1}}),
        {restoring(0), {"Could not restore"}},
        {kHistory, kRestore + "3"},
        std::nullopt,
        "gone"},
       {"c", "b", "a"}},
      {{"cancelled", engine(abc), {{"Restore a file version", busy, "Cancel"}}, {kHistory}},
       {"c", "b", "a"}},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    expectFlow(h, "Version History…", c.flow);
    EXPECT_EQ(offeredPaths(h.fake.ui), c.offered) << c.flow.name;
  }
}

// What the output may be is a table of its own (history_versions_test); here each
// way to the two messages, with the watch started again after them.
TEST(ShowHistory, ReportsOutputItCannotUseAndSyncsAgain) {
  const Step failed = {"Could not load history"};
  const Step empty = {"No file history yet"};
  const std::vector<FlowCase> cases = {
      {"the engine fails",
       Json{{"history", {{"stdout", "no server"}, {"exit_code", 2}}}}.dump(),
       {failed},
       {kHistory},
       std::nullopt,
       "no server"},
      {"not UTF-8",
       Json{{"history", {{"output", {{{"hex", "5b5dff"}}}}}}}.dump(),
       {failed},
       {kHistory},
       std::nullopt,
       ""},
      {"no versions",
       engine(Json::array()),
       {empty},
       {kHistory},
       std::nullopt,
       "Versions will appear after the first upload."},
  };
  for (const FlowCase& c : cases) {
    AppHarness h;
    h.configure();
    expectFlow(h, "Version History…", c);
  }
}

TEST(ShowHistory, CopesWithHugeOutput) {
  Json history = Json::array();
  for (int i = 0; i < 100'000; ++i) history.push_back(element("f" + std::to_string(i), i));
  AppHarness many;
  many.configure();
  expectFlow(many, "Version History…",
             {"100,000 versions",
              engine(history),
              {restoring(99'999), {"Version restored"}},
              {kHistory, kRestore + "0"}});
  const std::vector<std::string> offered = offeredPaths(many.fake.ui);
  ASSERT_EQ(offered.size(), 100'000u);
  EXPECT_EQ(offered.front(), "f99999");

  AppHarness big;
  big.configure();
  expectFlow(big, "Version History…",
             {"20 MB of text, shown whole",
              Json{{"history", {{"output_bytes", 20 << 20}}}}.dump(),
              {{"Could not load history"}},
              {kHistory}});
  EXPECT_EQ(big.fake.ui.alerts.back().informativeText.size(), std::size_t{20 << 20});
}

}  // namespace
}  // namespace quorvane::testing
