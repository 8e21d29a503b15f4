#include "platform/linux/host_name.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::TempDir;
using testing::writeFile;

// PRETTY_HOSTNAME is read like a shell assignment; without one, the system's name.
TEST(HostName, IsThePrettyHostNameElseTheSystemOne) {
  char name[256] = {};
  ASSERT_EQ(::gethostname(name, sizeof name - 1), 0);
  const std::optional<std::string> system =
      name[0] ? std::optional<std::string>(name) : std::nullopt;
  const struct {
    std::string content;
    std::optional<std::string> expected;
  } cases[] = {
      {"PRETTY_HOSTNAME=\"Anna's Laptop\"\n", "Anna's Laptop"},
      {"PRETTY_HOSTNAME='Say \"hi\"'\n", "Say \"hi\""},
      {"PRETTY_HOSTNAME=\"A \\\"B\\\" \\\\ C \\n\"\n", "A \"B\" \\ C \\n"},
      {"PRETTY_HOSTNAME=Anna\\'s\\ Laptop  \n", "Anna's Laptop"},
      {"PRETTY_HOSTNAME=\"Caf\u00e9 \U0001F4BB\"", "Caf\u00e9 \U0001F4BB"},
      {"PRETTY_HOSTNAME=\"one\"'two'three\n", "onetwothree"},
      {"ICON_NAME=computer-laptop\nCHASSIS=laptop\nPRETTY_HOSTNAME=\"Desk\"\nDEPLOYMENT=x\n",
       "Desk"},
      {"PRETTY_HOSTNAME=old\nPRETTY_HOSTNAME=new\n", "new"},
      {"  PRETTY_HOSTNAME = spaced\n", "spaced"},
      {"PRETTY_HOSTNAME=\"two\\\nlines\"\n", "twolines"},
      {"# PRETTY_HOSTNAME=commented\n", system},
      {"PRETTY_HOSTNAME_OLD=other\n", system},
      {"PRETTY_HOSTNAME=\n", system},
  };
  TempDir temp;
  for (const auto& c : cases) {
    writeFile(temp / "machine-info", c.content);
    EXPECT_EQ(hostName(temp / "machine-info"), c.expected) << c.content;
  }
  EXPECT_EQ(hostName(temp / "missing"), system);
}

}  // namespace
}  // namespace quorvane
