// The session's facts on Linux; the installed application's folders and login
// item are seen end to end in e2e/run.sh and e2e/install.sh.
#include "platform/linux/xdg_locations.h"

#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>

#include <gtest/gtest.h>

#include "platform/linux/autostart.h"
#include "platform/linux/host_name.h"
#include "platform/linux/instance_lock.h"
#include "platform/linux/linux_system.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;

// Sets (or with none, unsets) one environment variable until destroyed.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)) {
    if (const char* old = ::getenv(name_.c_str())) saved_ = old;
    set(value);
  }
  ~ScopedEnvironment() { set(saved_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void set(const std::optional<std::string>& value) {
    if (value) ::setenv(name_.c_str(), value->c_str(), 1);
    if (!value) ::unsetenv(name_.c_str());
  }
  std::string name_;
  std::optional<std::string> saved_;
};

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

const std::string kId = LinuxSystem::kBundleIdentifier;

// Launches at the same moment, each in a process of its own: exactly one is the
// running instance and sees itself; the other sees that one, or -1 while its pid
// is still being written, never itself.
TEST(LinuxSystem, OfSimultaneousLaunchesExactlyOneRuns) {
  for (int round = 0; round < 20; ++round) {
    TempDir temp;
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", temp.path().string());
    int start[2], finish[2], results[2];
    ASSERT_EQ(::pipe(start) | ::pipe(finish) | ::pipe(results), 0);
    for (int contender = 0; contender < 2; ++contender) {
      if (::fork() != 0) continue;
      char c;
      ::close(start[1]);
      ::close(finish[1]);
      (void)!::read(start[0], &c, 1);  // both go when the test closes `start`
      LinuxSystem system({});
      const int report[2] = {::getpid(), system.runningApplicationProcessIds(kId).at(0)};
      (void)!::write(results[1], report, sizeof report);
      (void)!::read(finish[0], &c, 1);  // the winner holds on until both have reported
      ::_exit(0);
    }
    for (int fd : {start[0], start[1], finish[0], results[1]}) ::close(fd);
    int reports[2][2] = {};
    for (auto& report : reports) {
      ASSERT_EQ(::read(results[0], report, sizeof report), static_cast<ssize_t>(sizeof report));
    }
    for (int fd : {finish[1], results[0]}) ::close(fd);
    while (::wait(nullptr) > 0) {
    }
    const bool firstWon = reports[0][1] == reports[0][0];
    const auto& winner = reports[firstWon ? 0 : 1];
    const auto& loser = reports[firstWon ? 1 : 0];
    ASSERT_EQ(winner[1], winner[0]) << "round " << round;
    EXPECT_TRUE(loser[1] == winner[0] || loser[1] == -1) << loser[1];
  }
}

TEST(LinuxSystem, RunningInstanceHoldsTheLockUntilItEnds) {
  TempDir temp;
  ScopedEnvironment runtime("XDG_RUNTIME_DIR", temp.path().string());
  const std::vector<int> self{::getpid()};
  {
    LinuxSystem system({});
    EXPECT_EQ(system.runningApplicationProcessIds(kId), self);
    EXPECT_EQ(system.runningApplicationProcessIds(kId), self);
    EXPECT_EQ(system.runningApplicationProcessIds("org.example.Other"), std::vector<int>{});
    // Another object, as a second launch would be, finds it held (by itself: -1).
    EXPECT_EQ(LinuxSystem({}).runningApplicationProcessIds(kId), std::vector<int>{-1});
  }
  EXPECT_EQ(LinuxSystem({}).runningApplicationProcessIds(kId), self);  // let go with the object

  // Without a runtime folder the lock lies in a private folder of this user's in /tmp.
  ScopedEnvironment none("XDG_RUNTIME_DIR", std::nullopt);
  EXPECT_EQ(LinuxSystem({}).runtimeDirectory(), "/tmp/quorvane-" + std::to_string(::getuid()));
}

fs::path executable(const fs::path& path) {
  writeFile(path, "#!/bin/sh\n");
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

TEST(Autostart, EnabledOnlyWhileTheEntryCanStartItsProgram) {
  TempDir temp;
  const fs::path entry = temp / "autostart/org.quorvane.Quorvane.desktop";
  // Every character that needs quoting or escaping in an Exec line.
  const fs::path program =
      executable(temp / "my apps/100% \"$HOME\" it's \\ `(1)/quorvane-menubar");
  const fs::path plain = executable(temp / "plain/quorvane-menubar");
  ScopedEnvironment path("PATH", (temp / "bin").string() + ":/nonexistent");
  executable(temp / "bin/on-path");

  EXPECT_EQ(autostart::status(entry), LoginItemStatus::notRegistered);
  ASSERT_EQ(autostart::install(entry, program), std::nullopt);
  EXPECT_EQ(autostart::status(entry), LoginItemStatus::enabled);

  // As the desktop or the person may have rewritten it, or an earlier version wrote it.
  const std::string exec = "[Desktop Entry]\nExec=" + plain.string() + "\n";
  const struct {
    std::string content;
    bool enabled;
  } rewritten[] = {
      {exec, true},
      {exec + "Hidden=true\n", false},
      {exec + "X-GNOME-Autostart-enabled=false\n", false},
      {"[Desktop Entry]\nExec=\"" + (temp / "my apps").string() +
           "/100%% \\\\\"\\\\$HOME\\\\\" it's \\\\\\\\ \\\\`(1)/quorvane-menubar\" %F\n",
       true},
      {"[Desktop Entry]\nExec=on-path --hidden\n", true},
      {"[Desktop Entry]\nExec=not-on-path\n", false},
      {"[Desktop Entry]\nExec=" + (temp / "gone/quorvane-menubar").string() + "\n", false},
      {"", false},
  };
  for (const auto& c : rewritten) {
    writeFile(entry, c.content);
    EXPECT_EQ(autostart::status(entry) == LoginItemStatus::enabled, c.enabled) << c.content;
  }

  EXPECT_EQ(autostart::uninstall(entry), std::nullopt);
  EXPECT_EQ(autostart::uninstall(entry), std::nullopt);  // absent is fine
  EXPECT_EQ(std::distance(fs::directory_iterator(entry.parent_path()), {}), 0);

  writeFile(temp / "file", "where a folder belongs");
  EXPECT_EQ(autostart::install(temp / "file/q.desktop", "/q"),
            "Not a directory: " + (temp / "file").string());
  EXPECT_EQ(autostart::uninstall(temp / "plain"), "Is a directory: " + (temp / "plain").string());
}

}  // namespace
}  // namespace quorvane
