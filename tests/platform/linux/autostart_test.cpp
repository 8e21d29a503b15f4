// The login item the installed application writes, where the session looks for it,
// is in e2e/install.sh.
#include "platform/linux/autostart.h"

#include <gtest/gtest.h>

#include "platform/linux/bundle_location.h"
#include "platform/linux/scoped_environment.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnvironment;
using testing::TempDir;
using testing::writeFile;

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

// The entry starts the installed launcher when the running bundle is the one it
// leads to (the path survives an upgrade), else the bundle's own front end.
TEST(Autostart, StartsTheInstalledLauncherOnlyWhereItLeadsToThisBundle) {
  TempDir temp;
  auto install = [&](const std::string& prefix, const std::string& name,
                     std::optional<fs::path> launcherTarget) {
    const fs::path bundle = temp / prefix / "lib/quorvane" / name;
    executable(frontEndOf(bundle));
    if (launcherTarget) {
      fs::create_directories(temp / prefix / "bin");
      fs::create_symlink(*launcherTarget, temp / prefix / "bin/quorvane-menubar");
    }
    return fs::canonical(bundle);  // as found from /proc/self/exe
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
    EXPECT_EQ(launcherOf(c.bundle), c.exec.empty() ? frontEndOf(c.bundle) : c.exec) << c.bundle;
  }
}

}  // namespace
}  // namespace quorvane
