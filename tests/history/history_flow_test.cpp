#include <gtest/gtest.h>

#include "support/flow_trace.h"

namespace quorvane::testing {
namespace {

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

// The output's rules are a table of their own (history_versions_test); here the
// list newest first, each item restoring its own revision, and every way to the
// two messages, with the watch started again after each.
TEST(ShowHistory, OffersTheVersionsNewestFirstAndRestoresTheChosenRevision) {
  const Json abc = Json::array({element("a", 1), element("b", 2), {"malformed"}, element("c", 3)});
  // Built as text: the sanitizer builds take long over documents this size.
  std::string many = "[";
  for (int i = 0; i < 100'000; ++i) {
    const std::string n = std::to_string(i);
    many += (i ? R"(,["f)" : R"(["f)") + n + R"(",{"revision":)" + n +
            R"(,"time":1800000000,"device":"D"}])";
  }
  many += "]";
  std::string twentyMegabytes;
  while (twentyMegabytes.size() < 20 << 20) twentyMegabytes += "abcdefghijklmnopqrstuvwxyz";
  twentyMegabytes.resize(20 << 20);
  const Step failed = {A, "Could not load history"};
  const struct {
    FlowCase flow;
    std::pair<std::size_t, std::string> offered = {0, ""};
  } cases[] = {
      {{"the second of three",
        engine(abc, {{"stdout", "Restored b\n"}}),
        {restoring(1), {A, "Version restored"}},
        {kHistory, kRestore + "2"},
        std::nullopt,
        "Restored b\n"},
       {3, "c"}},
      {{"equal labels stay apart",
        engine(Json::array({element("a", 7), element("a", 8)})),
        {restoring(1), {A, "Version restored"}},
        {kHistory, kRestore + "7"}},
       {2, "a"}},
      {{"the largest revision, as printed",
        engine(R"([["a", {"revision": 18446744073709551615, "time": 0}]])"),
        {restoring(0), {A, "Version restored"}},
        {kHistory, kRestore + "18446744073709551615"}},
       {1, "a"}},
      {{"100,000 versions",
        engine(many),
        {restoring(99'999), {A, "Version restored"}},
        {kHistory, kRestore + "0"}},
       {100'000, "f99999"}},
      {{"the engine cannot restore",
        engine(abc, {{"stderr", "gone"}, {"exit_code", 1}}),
        {restoring(0), {A, "Could not restore"}},
        {kHistory, kRestore + "3"},
        std::nullopt,
        "gone"},
       {3, "c"}},
      {{"cancelled", engine(abc), {{A, "Restore a file version +busy", "Cancel"}}, {kHistory}},
       {3, "c"}},
      {{"the engine fails",
        Json{{"history", {{"stdout", "no server"}, {"exit_code", 2}}}}.dump(),
        {failed},
        {kHistory},
        std::nullopt,
        "no server"}},
      {{"not UTF-8",
        Json{{"history", {{"output", {{{"hex", "5b5dff"}}}}}}}.dump(),
        {failed},
        {kHistory},
        std::nullopt,
        ""}},
      {{"20 MB of text, shown whole",
        Json{{"history", {{"output_bytes", 20 << 20}}}}.dump(),
        {failed},
        {kHistory},
        std::nullopt,
        twentyMegabytes}},
      {{"no versions", engine(Json::array()), {{A, "No file history yet"}}, {kHistory}}},
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
