// The login item of the installed application, toggled from the menu, is also in
// e2e/install.sh.
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
  // As others may have written it.
  EXPECT_EQ(desktop_exec::program("  /usr/bin/q"), "/usr/bin/q");
  EXPECT_EQ(desktop_exec::program("/opt/my\\sapps/q"), "/opt/my");  // \s is a space, it ends
  EXPECT_EQ(desktop_exec::program("\"/opt/unterminated"), std::nullopt);
  EXPECT_EQ(desktop_exec::program(""), std::nullopt);
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
  EXPECT_EQ(std::distance(fs::directory_iterator(entry.parent_path()), {}), 0);

  writeFile(temp / "file", "where a folder belongs");
  EXPECT_EQ(autostart::install(temp / "file/q.desktop", "/q"),
            "Not a directory: " + (temp / "file").string());
  EXPECT_EQ(autostart::uninstall(temp / "my apps"),
            "Is a directory: " + (temp / "my apps").string());
}

// The entry starts the installed launcher when the running bundle is the one it
// leads to, else the bundle's own front end.
TEST(Autostart, TogglesFromAnInstallationAndElsewhereWithTheRightProgram) {
  TempDir temp;
  ScopedEnvironment config("XDG_CONFIG_HOME", (temp / "my config").string());
  const fs::path entry = temp / "my config/autostart/org.quorvane.Quorvane.desktop";
  auto install = [&](const std::string& prefix, const std::string& name,
                     std::optional<fs::path> launcherTarget) {
    const fs::path bundle = temp / prefix / "lib/quorvane" / name;
    executable(frontEndOf(bundle));
    if (launcherTarget) {
      fs::create_directories(temp / prefix / "bin");
      fs::create_symlink(*launcherTarget, temp / prefix / "bin/quorvane-menubar");
    }
    return bundle;
  };
  const fs::path installed = install(
      "usr", "Quorvane.app", "../lib/quorvane/Quorvane.app/Contents/MacOS/quorvane-menubar");
  const fs::path buildTree = temp / "build/Quorvane.app";
  executable(frontEndOf(buildTree));
  const struct {
    fs::path bundle, exec;
  } cases[] = {
      {installed, temp / "usr/bin/quorvane-menubar"},
      {buildTree, frontEndOf(buildTree)},
      // A launcher that leads elsewhere, none at all, the wrong bundle name.
      {install("other", "Quorvane.app", frontEndOf(buildTree)), {}},
      {install("bare", "Quorvane.app", std::nullopt), {}},
      {install("usr", "Copy.app", std::nullopt), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bundle);
    const fs::path exec = c.exec.empty() ? frontEndOf(c.bundle) : c.exec;
    // The real path, as /proc/self/exe gives it.
    LinuxSystem system({}, fs::canonical(frontEndOf(c.bundle)));
    EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::notRegistered);
    EXPECT_EQ(system.registerLoginItem(), std::nullopt);
    EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::enabled);
    EXPECT_EQ(readFile(entry), autostart::entryText(exec));
    EXPECT_EQ(system.unregisterLoginItem(), std::nullopt);
    EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::notRegistered);
  }
}

}  // namespace
}  // namespace quorvane
