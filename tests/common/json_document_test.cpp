#include "common/json_document.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

// Empty, half-written, non-UTF-8 and deeply nested files are refused through the
// readers of the status file and the configuration (status/, app/locations_test.cpp).
TEST(ParseJson, TakesOneWholeValueNestedNoDeeperThanTheLimitAndMemberLooksIntoObjects) {
  const std::string limit = std::string(kMaxJsonDepth, '[') + std::string(kMaxJsonDepth, ']');
  EXPECT_TRUE(parseJson(limit));
  for (const std::string& text :
       {"[" + limit + "]", std::string("{} {}"), std::string("{} // note"),
        "{\"folder\":\"/x\",\"junk\":" + std::string(100000, '[')}) {
    EXPECT_FALSE(parseJson(text)) << text.substr(0, 30);
  }
  // member() finds a member whatever its value, and only in an object.
  EXPECT_NE(member(*parseJson(R"({"n": null})"), "n"), nullptr);
  EXPECT_EQ(member(*parseJson(R"(["n"])"), "n"), nullptr);
}

}  // namespace
}  // namespace quorvane
