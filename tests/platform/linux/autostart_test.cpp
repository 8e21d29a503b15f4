#include "platform/linux/autostart.h"

#include <gtest/gtest.h>

#include "platform/linux/linux_system.h"
#include "platform/linux/scoped_environment.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::readFile;
using testing::ScopedEnvironment;
using testing::TempDir;
using testing::writeFile;

TEST(Autostart, ExecArgumentsAreQuotedAndEscaped) {
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
      {"", R"("")"},
  };
  for (const auto& c : cases) EXPECT_EQ(autostart::execArgument(c.argument), c.expected);
}

TEST(Autostart, RegisterAndUnregisterRoundTripThroughTheConfigHome) {
  TempDir temp;
  std::filesystem::path configHome = temp / "my config";
  ScopedEnvironment config("XDG_CONFIG_HOME", configHome.string());
  std::filesystem::path entry = configHome / "autostart" / "org.quorvane.Quorvane.desktop";
  LinuxSystem system({});
  std::string program = (system.bundleDirectory() / "Contents/MacOS/quorvane-menubar").string();

  EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::notRegistered);
  EXPECT_EQ(system.unregisterLoginItem(), std::nullopt);  // absent is fine
  EXPECT_EQ(system.registerLoginItem(), std::nullopt);
  EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::enabled);
  EXPECT_EQ(readFile(entry), "[Desktop Entry]\nType=Application\nName=Quorvane\nExec=" +
                                 autostart::execArgument(program) +
                                 "\nX-GNOME-Autostart-enabled=true\nNoDisplay=true\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(entry.parent_path()), {}), 1);

  // As the desktop may have rewritten it: only the main group's switches count.
  const struct {
    std::string content;
    bool enabled;
  } rewritten[] = {
      {"[Desktop Entry]\nType=Application\nExec=q\n", true},
      {"[Desktop Entry]\nHidden = true\n", false},
      {"[Desktop Entry]\nHidden=false\n", true},
      {"[Desktop Entry]\nX-GNOME-Autostart-enabled=false\n", false},
      {"[Desktop Entry]\nExec=q\n[Desktop Action x]\nHidden=true\n", true},
      {"", true},
      {"[Desktop Entry]\nHidden=true\n", false},
  };
  for (const auto& c : rewritten) {
    writeFile(entry, c.content);
    EXPECT_EQ(system.loginItemStatus() == LoginItemStatus::enabled, c.enabled) << c.content;
  }
  EXPECT_EQ(system.registerLoginItem(), std::nullopt);  // switched on again
  EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::enabled);

  EXPECT_EQ(system.unregisterLoginItem(), std::nullopt);
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_EQ(system.loginItemStatus(), LoginItemStatus::notRegistered);
}

TEST(Autostart, FailuresAreDescribed) {
  TempDir temp;
  writeFile(temp / "autostart", "a file where the folder belongs");
  EXPECT_EQ(autostart::install(temp / "autostart/q.desktop", "/q"),
            "Not a directory: " + (temp / "autostart").string());
  std::filesystem::create_directories(temp / "folder/inside");
  EXPECT_EQ(autostart::uninstall(temp / "folder"), "Is a directory: " + (temp / "folder").string());
}

}  // namespace
}  // namespace quorvane
