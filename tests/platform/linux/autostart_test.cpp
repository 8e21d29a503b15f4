#include "platform/linux/autostart.h"

#include <gtest/gtest.h>

#include "platform/linux/bundle_location.h"
#include "platform/linux/desktop_exec.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/scoped_environment.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::ScopedEnvironment;
using testing::TempDir;
using testing::writeFile;

fs::path executable(const fs::path& path) {
  writeFile(path, "#!/bin/sh\n");
  fs::permissions(path, fs::perms::owner_all);
  return path;
}

// <prefix>/lib/quorvane/Quorvane.app with its front end; the launcher in
// <prefix>/bin as the installation lays it out.
fs::path installedBundle(const fs::path& prefix) {
  const fs::path bundle = prefix / "lib/quorvane/Quorvane.app";
  executable(frontEndOf(bundle));
  fs::create_directories(prefix / "bin");
  fs::create_symlink("../lib/quorvane/Quorvane.app/Contents/MacOS/quorvane-menubar",
                     prefix / "bin/quorvane-menubar");
  return bundle;
}

TEST(DesktopExec, ArgumentsAreQuotedEscapedAndReadBack) {
  const struct {
    std::string argument, expected;
  } cases[] = {
      {"/opt/Quorvane.app/Contents/MacOS/quorvane-menubar",
       "/opt/Quorvane.app/Contents/MacOS/quorvane-menubar"},
      {"/home/a b/q", R"("/home/a b/q")"},
      {"/x/\"q\"", R"("/x/\\"q\\"")"},  // \" in the Exec rules, its \ doubled for the file
      {"/x/$HOME`", R"("/x/\\$HOME\\`")"},
      {"/x/back\\slash", R"("/x/back\\\\slash")"},
      {"/x/100%", "/x/100%%"},
      {"/x/it's (1)", "\"/x/it's (1)\""},
      {"/x/tab\there", "\"/x/tab\\there\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(desktop_exec::argument(c.argument), c.expected);
    EXPECT_EQ(desktop_exec::program(c.expected + " %F"), c.argument) << c.expected;
  }
  const struct {
    std::string exec;
    std::optional<std::string> program;
  } written[] = {
      {"quorvane-menubar %F", "quorvane-menubar"},
      {"  /usr/bin/q", "/usr/bin/q"},
      {"/opt/my\\sapps/q", "/opt/my"},  // \s is a space, and a space ends the argument
      {"\"/opt/unterminated", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : written) EXPECT_EQ(desktop_exec::program(c.exec), c.program) << c.exec;
}

TEST(Autostart, EnabledOnlyWhileTheEntryCanStartItsProgram) {
  TempDir temp;
  const fs::path entry = temp / "autostart/org.quorvane.Quorvane.desktop";
  const fs::path program =
      executable(temp / "my apps/Quorvane.app/Contents/MacOS/quorvane-menubar");
  const std::string exec = "Exec=" + desktop_exec::argument(program.string()) + "\n";
  ScopedEnvironment path("PATH", (temp / "bin").string() + ":/nonexistent");
  executable(temp / "bin/on-path");
  writeFile(temp / "bin/not-executable", "");

  EXPECT_EQ(autostart::status(entry), LoginItemStatus::notRegistered);
  ASSERT_EQ(autostart::install(entry, program), std::nullopt);
  EXPECT_EQ(autostart::status(entry), LoginItemStatus::enabled);
  EXPECT_EQ(readFile(entry), autostart::entryText(program));

  // As the desktop or the person may have rewritten it.
  const struct {
    std::string content;
    bool enabled;
  } rewritten[] = {
      {"[Desktop Entry]\nType=Application\n" + exec, true},
      {"[Desktop Entry]\n" + exec + "Hidden = true\n", false},
      {"[Desktop Entry]\n" + exec + "Hidden=false\n", true},
      {"[Desktop Entry]\n" + exec + "X-GNOME-Autostart-enabled=false\n", false},
      {"[Desktop Entry]\n" + exec + "[Desktop Action x]\nHidden=true\n", true},
      {"[Desktop Entry]\nExec=on-path --hidden\n", true},
      {"[Desktop Entry]\nExec=not-on-path\n", false},
      {"[Desktop Entry]\nExec=not-executable\n", false},
      {"[Desktop Entry]\nExec=" + desktop_exec::argument((temp / "my apps").string()), false},
      {"[Desktop Entry]\nType=Application\n", false},
      {"[Other]\n" + exec, false},
      {"", false},
  };
  for (const auto& c : rewritten) {
    writeFile(entry, c.content);
    EXPECT_EQ(autostart::status(entry) == LoginItemStatus::enabled, c.enabled) << c.content;
  }

  // The front end moved away: the stale entry counts as off, and turning it on
  // again points it at the new place.
  ASSERT_EQ(autostart::install(entry, program), std::nullopt);
  const fs::path moved = temp / "moved/quorvane-menubar";
  fs::create_directories(moved.parent_path());
  fs::rename(program, moved);
  EXPECT_EQ(autostart::status(entry), LoginItemStatus::notRegistered);
  ASSERT_EQ(autostart::install(entry, moved), std::nullopt);
  EXPECT_EQ(autostart::status(entry), LoginItemStatus::enabled);
  fs::remove(moved);
  EXPECT_EQ(autostart::status(entry), LoginItemStatus::notRegistered);

  EXPECT_EQ(autostart::uninstall(entry), std::nullopt);
  EXPECT_EQ(autostart::uninstall(entry), std::nullopt);  // absent is fine
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_EQ(std::distance(fs::directory_iterator(entry.parent_path()), {}), 0);
}

TEST(Autostart, LauncherIsTheInstalledOneOnlyWhenItLeadsToThisBundle) {
  TempDir temp;
  const fs::path installed = installedBundle(temp / "usr");
  const fs::path buildTree = temp / "build/Quorvane.app";
  executable(frontEndOf(buildTree));
  // An installation whose launcher leads elsewhere, and one without a launcher.
  const fs::path other = temp / "other/lib/quorvane/Quorvane.app";
  executable(frontEndOf(other));
  fs::create_directories(temp / "other/bin");
  fs::create_symlink(frontEndOf(buildTree), temp / "other/bin/quorvane-menubar");
  const fs::path bare = temp / "bare/lib/quorvane/Quorvane.app";
  executable(frontEndOf(bare));
  // The right folders with the wrong bundle name.
  const fs::path renamed = temp / "usr/lib/quorvane/Copy.app";
  executable(frontEndOf(renamed));

  EXPECT_EQ(launcherOf(installed), temp / "usr/bin/quorvane-menubar");
  EXPECT_EQ(launcherOf(buildTree), frontEndOf(buildTree));
  EXPECT_EQ(launcherOf(other), frontEndOf(other));
  EXPECT_EQ(launcherOf(bare), frontEndOf(bare));
  EXPECT_EQ(launcherOf(renamed), frontEndOf(renamed));
}

TEST(Autostart, TogglesFromAnInstallationAndFromTheBuildTree) {
  TempDir temp;
  ScopedEnvironment config("XDG_CONFIG_HOME", (temp / "my config").string());
  const fs::path entry = temp / "my config/autostart/org.quorvane.Quorvane.desktop";
  const fs::path installed = installedBundle(temp / "prefix");
  const fs::path buildTree = temp / "build/Quorvane.app";
  executable(frontEndOf(buildTree));

  const struct {
    fs::path bundle, exec;
  } cases[] = {
      {installed, temp / "prefix/bin/quorvane-menubar"},
      {buildTree, frontEndOf(buildTree)},
  };
  for (const auto& c : cases) {
    // The real path, as /proc/self/exe gives it.
    LinuxSystem system({}, fs::canonical(frontEndOf(c.bundle)));
    EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::notRegistered);
    EXPECT_EQ(system.registerLoginItem(), std::nullopt);
    EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::enabled);
    EXPECT_EQ(readFile(entry), autostart::entryText(c.exec));
    EXPECT_EQ(system.unregisterLoginItem(), std::nullopt);
    EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::notRegistered);
    EXPECT_FALSE(fs::exists(entry));
  }
}

TEST(Autostart, FailuresAreDescribed) {
  TempDir temp;
  writeFile(temp / "autostart", "a file where the folder belongs");
  EXPECT_EQ(autostart::install(temp / "autostart/q.desktop", "/q"),
            "Not a directory: " + (temp / "autostart").string());
  fs::create_directories(temp / "folder/inside");
  EXPECT_EQ(autostart::uninstall(temp / "folder"), "Is a directory: " + (temp / "folder").string());
}

}  // namespace
}  // namespace quorvane
