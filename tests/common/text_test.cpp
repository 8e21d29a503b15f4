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
      {"e\xCC\x81"
       "abc",
       2,
       "e\xCC\x81"
       "a"},  // e + combining acute
      {"\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"
       "x",
       1, "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"},  // thumbs up + skin tone
      {"\r\nab", 1, "\r\n"},
      {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA\xF0\x9F\x87\xAB\xF0\x9F\x87\xB7", 1,
       "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"},  // two flags, one kept
  };
  for (const auto& c : cases) EXPECT_EQ(graphemePrefix(c.text, c.count), c.expected) << c.text;
}

TEST(ValidUtf8, RejectsMalformedSequences) {
  EXPECT_TRUE(validUtf8("plain"));
  EXPECT_TRUE(validUtf8(std::string("nul\0inside", 10)));
  EXPECT_TRUE(validUtf8("\xE2\x80\xA6"));
  EXPECT_FALSE(validUtf8("\xff"));
  EXPECT_FALSE(validUtf8("\xC0\xAF"));      // overlong '/'
  EXPECT_FALSE(validUtf8("\xED\xA0\x80"));  // a surrogate
  EXPECT_FALSE(validUtf8("cut \xE2\x80"));  // truncated at the end
}

}  // namespace
}  // namespace quorvane
