#include "platform/linux/host_name.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::TempDir;
using testing::writeFile;

TEST(HostName, PrettyHostNameIsReadLikeAShellAssignment) {
  const struct {
    std::string content;
    std::optional<std::string> expected;
  } cases[] = {
      {"PRETTY_HOSTNAME=\"Anna's Laptop\"\n", "Anna's Laptop"},
      {"PRETTY_HOSTNAME='Say \"hi\"'\n", "Say \"hi\""},
      {"PRETTY_HOSTNAME=\"A \\\"B\\\" \\\\ C \\n\"\n", "A \"B\" \\ C \\n"},
      {"PRETTY_HOSTNAME=Anna\\'s\\ Laptop  \n", "Anna's Laptop"},
      {"PRETTY_HOSTNAME=Plain\n", "Plain"},
      {"PRETTY_HOSTNAME=\"Caf\xC3\xA9 \xF0\x9F\x92\xBB\"", "Caf\xC3\xA9 \xF0\x9F\x92\xBB"},
      {"PRETTY_HOSTNAME=\"one\"'two'three\n", "onetwothree"},
      {"ICON_NAME=computer-laptop\nCHASSIS=laptop\nPRETTY_HOSTNAME=\"Desk\"\nDEPLOYMENT=x\n",
       "Desk"},
      {"PRETTY_HOSTNAME=old\nPRETTY_HOSTNAME=new\n", "new"},
      {"  PRETTY_HOSTNAME = spaced\n", "spaced"},
      {"PRETTY_HOSTNAME=\"two\\\nlines\"\n", "twolines"},
      {"# PRETTY_HOSTNAME=commented\n", std::nullopt},
      {"PRETTY_HOSTNAME_OLD=other\n", std::nullopt},
      {"PRETTY_HOSTNAME=\n", std::nullopt},
      {"PRETTY_HOSTNAME=\"\"\n", std::nullopt},
      {"no assignment here\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(prettyHostName(c.content), c.expected) << c.content;
}

TEST(HostName, FallsBackToTheSystemHostName) {
  char system[256] = {};
  ASSERT_EQ(::gethostname(system, sizeof system - 1), 0);
  TempDir temp;
  writeFile(temp / "pretty", "PRETTY_HOSTNAME=\"Anna's Mac\"\n");
  writeFile(temp / "empty", "PRETTY_HOSTNAME=\n");
  EXPECT_EQ(hostName(temp / "pretty"), "Anna's Mac");
  std::optional<std::string> expected;
  if (system[0] != '\0') expected = system;
  EXPECT_EQ(hostName(temp / "empty"), expected);
  EXPECT_EQ(hostName(temp / "missing"), expected);
}

}  // namespace
}  // namespace quorvane
