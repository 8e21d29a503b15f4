#include <gtest/gtest.h>

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

// The output's rules are a table of their own (version_list_test); here the
// list newest first, each item restoring its own revision, and every way to the
// two messages, with the watch started again after each.
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

}  // namespace
}  // namespace quorvane::testing
