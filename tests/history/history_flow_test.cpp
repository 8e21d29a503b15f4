#include <gtest/gtest.h>

#include "support/flow_trace.h"

namespace quorvane::testing {
namespace {

const std::vector<std::string> kHistory = {"history", "--config", "{config}"};

std::vector<std::string> restoring(const std::string& revision) {
  return {"restore", "--config", "{config}", "--revision", revision};
}

Json element(const std::string& path, const Json& revision, const std::string& device = "Desk") {
  return Json::array({path, {{"revision", revision}, {"time", 1'800'000'000}, {"device", device}}});
}

std::string engine(const Json& history, const Json& restore = Json::object()) {
  return Json{{"history", {{"stdout", history.is_string() ? history : Json(history.dump())}}},
              {"restore", restore}}
      .dump();
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
  auto restoreItem = [](int item) {
    return [item](ScriptedPerson& p) {
      p.expectAlert("Restore a file version").select(0, item);
      p.expectAlert("Version restored");
    };
  };
  const std::vector<std::string> restored = {"Restore a file version +busy", "Version restored"};
  const Json abc = Json::array({element("a", 1), element("b", 2), {"malformed"}, element("c", 3)});
  const struct {
    FlowCase flow;
    std::vector<std::string> offered;
  } cases[] = {
      {{"the second of three",
        engine(abc, {{"stdout", "Restored b\n"}}),
        restoreItem(1),
        restored,
        {kHistory, restoring("2")},
        std::nullopt,
        "Restored b\n"},
       {"c", "b", "a"}},
      {{"equal labels stay apart",
        engine(Json::array({element("a", 7), element("a", 8)})),
        restoreItem(1),
        restored,
        {kHistory, restoring("7")}},
       {"a", "a"}},
      {{"the largest revision, as printed",
        engine("[[\"a\", {\"revision\": 18446744073709551615, \"time\": 0}]]"),
        restoreItem(0),
        restored,
        {kHistory, restoring("18446744073709551615")}},
       {"a"}},
      {{"the engine cannot restore",
        engine(abc, {{"stderr", "gone"}, {"exit_code", 1}}),
        [](ScriptedPerson& p) {
          p.expectAlert("Restore a file version");
          p.expectAlert("Could not restore");
        },
        {"Restore a file version +busy", "Could not restore"},
        {kHistory, restoring("3")},
        std::nullopt,
        "gone"},
       {"c", "b", "a"}},
      {{"cancelled",
        engine(abc),
        [](ScriptedPerson& p) { p.expectAlert("Restore a file version").press("Cancel"); },
        {"Restore a file version +busy"},
        {kHistory}},
       {"c", "b", "a"}},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    expectFlow(h, "Version History…", c.flow);
    EXPECT_EQ(offeredPaths(h.fake.ui), c.offered) << c.flow.name;
  }
}

TEST(ShowHistory, ReportsOutputItCannotUseAndSyncsAgain) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string failed = "Could not load history";
  const std::string empty = "No file history yet";
  const std::vector<FlowCase> cases = {
      {"the engine fails",
       Json{{"history", {{"stdout", "no server"}, {"exit_code", 2}}}}.dump(),
       dismissing({failed}),
       {failed},
       {kHistory},
       std::nullopt,
       "no server"},
      {"an object",
       engine(Json::object()),
       dismissing({failed}),
       {failed},
       {kHistory},
       std::nullopt,
       "{}"},
      {"a string among the arrays",
       engine(Json::array({element("a", 1), "b"})),
       dismissing({failed}),
       {failed},
       {kHistory}},
      {"not UTF-8",
       Json{{"history", {{"output", {{{"hex", "5b5dff"}}}}}}}.dump(),
       dismissing({failed}),
       {failed},
       {kHistory},
       std::nullopt,
       ""},
      {"too deep", engine(deep), dismissing({failed}), {failed}, {kHistory}},
      {"20 MB of text, shown whole",
       Json{{"history", {{"output_bytes", 20 << 20}}}}.dump(),
       dismissing({failed}),
       {failed},
       {kHistory}},
      {"no versions",
       engine(Json::array()),
       dismissing({empty}),
       {empty},
       {kHistory},
       std::nullopt,
       "Versions will appear after the first upload."},
      {"only malformed ones",
       engine(Json::array({element("a", -1), element("b", 2.5), {"c"}})),
       dismissing({empty}),
       {empty},
       {kHistory}},
  };
  for (const FlowCase& c : cases) {
    AppHarness h;
    h.configure();
    expectFlow(h, "Version History…", c);
    if (c.name.starts_with("20 MB")) {
      EXPECT_EQ(h.fake.ui.alerts.back().informativeText.size(), std::size_t{20 << 20});
    }
  }
}

TEST(ShowHistory, OffersAHundredThousandVersions) {
  Json history = Json::array();
  for (int i = 0; i < 100'000; ++i) history.push_back(element("f" + std::to_string(i), i));
  AppHarness h;
  h.configure();
  expectFlow(h, "Version History…",
             {"100,000 versions",
              engine(history),
              [](ScriptedPerson& p) {
                p.expectAlert("Restore a file version").select(0, 99'999);
                p.expectAlert("Version restored");
              },
              {"Restore a file version +busy", "Version restored"},
              {kHistory, restoring("0")}});
  const std::vector<std::string> offered = offeredPaths(h.fake.ui);
  ASSERT_EQ(offered.size(), 100'000u);
  EXPECT_EQ(offered.front(), "f99999");
}

}  // namespace
}  // namespace quorvane::testing
