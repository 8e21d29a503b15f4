#include "common/json_document.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

// Empty, half-written, non-UTF-8 and deeply nested files are refused through the
// readers of the status file and the configuration (status/, app/locations_test.cpp).
TEST(ParseJson, TakesOneWholeValueAndRefusesNestingThatWouldExhaustTheStack) {
  auto nested = [](std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); };
  // Engine documents nest a few levels; 512 is far more than any needs. Building,
  // copying and destroying a value recurse once per level, so tens of thousands of
  // levels would overflow the main thread's stack: they must be refused unbuilt.
  EXPECT_TRUE(parseJson(nested(512)));
  for (const std::string& text :
       {nested(5000), nested(65000), std::string("{} {}"), std::string("{} // note"),
        "{\"folder\":\"/x\",\"junk\":" + std::string(100000, '[')}) {
    EXPECT_FALSE(parseJson(text)) << text.substr(0, 30);
  }
  // member() finds a member whatever its value, and only in an object.
  EXPECT_NE(member(*parseJson(R"({"n": null})"), "n"), nullptr);
  EXPECT_EQ(member(*parseJson(R"(["n"])"), "n"), nullptr);
}

}  // namespace
}  // namespace quorvane
