// Where the running front end finds its bundle, support folder and runtime folder
// is seen end to end in e2e/run.sh and e2e/install.sh.
#include "platform/linux/xdg_locations.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include <gtest/gtest.h>

#include "platform/linux/host_name.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::TempDir;
using testing::writeFile;

TEST(XdgLocations, UseAbsoluteVariablesAndFallBackOtherwise) {
  TempDir temp;
  writeFile(temp / "file", "");
  const std::string t = temp.path().string();
  const std::filesystem::path pw = ::getpwuid(::getuid())->pw_dir;
  const std::filesystem::path share = "/h/.local/share", config = "/h/.config";
  const struct {
    std::map<std::string, std::string> environment;
    std::filesystem::path home, data, config;
    std::optional<std::filesystem::path> runtime;  // only an existing folder
  } cases[] = {
      {{{"HOME", "/h"}, {"XDG_RUNTIME_DIR", t}}, "/h", share, config, t},
      {{{"HOME", "/h"}, {"XDG_DATA_HOME", "/d"}, {"XDG_CONFIG_HOME", "/c"}}, "/h", "/d", "/c", {}},
      {{{"HOME", "/h"}, {"XDG_DATA_HOME", "d"}, {"XDG_CONFIG_HOME", ""}}, "/h", share, config, {}},
      {{{"XDG_RUNTIME_DIR", t + "/file"}}, pw, pw / ".local/share", pw / ".config", {}},
      {{{"HOME", "rel"}, {"XDG_RUNTIME_DIR", "run"}}, pw, pw / ".local/share", pw / ".config", {}},
  };
  for (const auto& c : cases) {
    const xdg::Environment environment = [&c](const std::string& name) {
      const auto found = c.environment.find(name);
      return found == c.environment.end() ? std::nullopt : std::optional(found->second);
    };
    EXPECT_EQ(xdg::home(environment), c.home);
    EXPECT_EQ(xdg::dataHome(environment), c.data);
    EXPECT_EQ(xdg::configHome(environment), c.config);
    EXPECT_EQ(xdg::runtimeHome(environment), c.runtime);
  }
}

// The runtime folder's fallback in /tmp, where anyone may have made it first.
TEST(XdgLocations, PrivateFolderIsCreatedTightenedOrRefused) {
  TempDir temp;
  auto modeOf = [](const std::filesystem::path& path) {
    struct stat info = {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
  };
  std::filesystem::create_directory(temp / "open");
  ::chmod((temp / "open").c_str(), 0777);
  for (const char* name : {"new", "open"}) {
    EXPECT_EQ(xdg::ensurePrivateFolder(temp / name), std::nullopt);
    EXPECT_EQ(modeOf(temp / name), 0700u) << name;
  }
  std::filesystem::create_directory_symlink(temp / "new", temp / "link");
  EXPECT_EQ(xdg::ensurePrivateFolder(temp / "link"),
            (temp / "link").string() + " is a symbolic link, not a folder");
  writeFile(temp / "file", "");
  EXPECT_EQ(xdg::ensurePrivateFolder(temp / "file"),
            "Not a directory: " + (temp / "file").string());
  if (::geteuid() == 0) {  // only root can give a folder away
    std::filesystem::create_directory(temp / "foreign");
    ASSERT_EQ(::chown((temp / "foreign").c_str(), 65534, 65534), 0);
    EXPECT_EQ(xdg::ensurePrivateFolder(temp / "foreign"),
              (temp / "foreign").string() + " belongs to another user");
  }
}

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
