#include "common/json_document.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

TEST(ParseJson, RefusesWhatTheEngineShouldNeverWriteWithoutCrashing) {
  const std::string deep(100000, '[');
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"half written", R"({"folder": "/home/a)"},
      {"two values", "{} {}"},
      {"not utf-8", "{\"folder\": \"\xff\xfe\"}"},
      {"100000 levels", deep + std::string(100000, ']')},
      {"100000 levels inside an object", "{\"folder\":\"/x\",\"junk\":" + deep},
      {"comments", "{} // note"},
  };
  for (const auto& c : cases) EXPECT_FALSE(parseJson(c.text)) << c.name;
}

TEST(ParseJson, AcceptsNestingUpToTheLimit) {
  const std::size_t levels = kMaxJsonDepth;
  const std::string text = std::string(levels, '[') + std::string(levels, ']');
  EXPECT_TRUE(parseJson(text));
  EXPECT_FALSE(parseJson("[" + text + "]"));
}

TEST(ParseJson, MemberLooksOnlyIntoObjects) {
  const Json object = *parseJson(R"({"folder": "/x", "n": null})");
  ASSERT_NE(member(object, "folder"), nullptr);
  EXPECT_EQ(*member(object, "folder"), "/x");
  EXPECT_NE(member(object, "n"), nullptr);
  EXPECT_EQ(member(object, "missing"), nullptr);
  EXPECT_EQ(member(*parseJson(R"(["folder"])"), "folder"), nullptr);
}

}  // namespace
}  // namespace quorvane
