#include "onboarding/device_name.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(DeviceName, KeepsSingleAsciiLettersAndDigitsUpTo24ElseComputer) {
  const struct {
    std::optional<std::string> host;
    std::string expected;
  } cases[] = {
      {"B\u00fcro-Mac 2", "BroMac2"},   // ü precomposed
      {"Bu\u0308ro-Mac 2", "BroMac2"},  // u and a combining diaeresis: one character
      {"\u00c5\u00e4\u00f6 \u65e5\u672c \U0001F600\U0001F1E9\U0001F1EA", "Computer"},
      {"abcdefghijklmnopqrstuvwxyzABCD", "abcdefghijklmnopqrstuvwx"},
      {"a b-c'd\r\ne\t1\uFF12", "abcde1"},  // CR LF is one character, neither; fullwidth 2
      {"", "Computer"},
      {std::nullopt, "Computer"},
  };
  for (const auto& c : cases) EXPECT_EQ(deviceName(c.host), c.expected) << c.host.value_or("none");
}

}  // namespace
}  // namespace quorvane
