#include "history/history_versions.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

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
      {R"(["a"])", none},
      {R"([1, {"revision": 7, "time": 0}])", none},
      {R"(["a", [7, 0]])", none},
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
}  // namespace quorvane
