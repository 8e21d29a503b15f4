#include "common/text.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

TEST(GraphemePrefix, CountsUserPerceivedCharacters) {
  const struct {
    std::string text;
    std::size_t count;
    std::string expected;
  } cases[] = {
      {"short", 100, "short"},
      {"abcdef", 3, "abc"},
      {"", 5, ""},
      {"e\u0301abc", 2, "e\u0301a"},                         // a combining accent
      {"\U0001F44D\U0001F3FDx", 1, "\U0001F44D\U0001F3FD"},  // a skin tone
      {"\r\nab", 1, "\r\n"},                                 // one, not two
      {"\U0001F1E9\U0001F1EA\U0001F1EB\U0001F1F7", 1, "\U0001F1E9\U0001F1EA"},  // two flags
  };
  for (const auto& c : cases) EXPECT_EQ(graphemePrefix(c.text, c.count), c.expected) << c.text;
}

// graphemes() is checked through the device name, its one user.
// validUtf8() is checked through the runner, its one user (engine/command_runner_test.cpp).

}  // namespace
}  // namespace quorvane
