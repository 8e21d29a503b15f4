#include "platform/linux/host_name.h"

#include <gtest/gtest.h>

namespace quorvane {
namespace {

// As hostnamectl writes it, or a person by hand.
TEST(HostName, IsThePrettyHostNameReadAsTheShellWould) {
  const struct {
    std::string content;
    std::optional<std::string> expected;
  } cases[] = {
      {"PRETTY_HOSTNAME=\"Anna's Laptop\"\n", "Anna's Laptop"},
      {"PRETTY_HOSTNAME=\"A \\\"B\\\" \\\\ \\$C \\n\"\n", "A \"B\" \\ $C \\n"},
      {"  PRETTY_HOSTNAME = Anna\\'s\\ Laptop  \n", "Anna's Laptop"},
      {"ICON_NAME=computer-laptop\nPRETTY_HOSTNAME=\"Desk\"\nDEPLOYMENT=x\n", "Desk"},
      {"PRETTY_HOSTNAME=old\nPRETTY_HOSTNAME=new\n", "new"},
      {"# PRETTY_HOSTNAME=commented\n", std::nullopt},
      {"PRETTY_HOSTNAME_OLD=other\n", std::nullopt},
      {"PRETTY_HOSTNAME=\n", std::nullopt},
      {"PRETTY_HOSTNAME=\"unterminated\n", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(prettyHostName(c.content), c.expected) << c.content;
}

}  // namespace
}  // namespace quorvane
