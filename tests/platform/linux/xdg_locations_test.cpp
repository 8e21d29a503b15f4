#include "platform/linux/xdg_locations.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

#include <gtest/gtest.h>

#include "platform/linux/bundle_location.h"
#include "platform/linux/linux_system.h"
#include "platform/linux/scoped_environment.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::ScopedEnvironment;
using testing::TempDir;
using testing::writeFile;

xdg::Environment environmentOf(std::map<std::string, std::string> values) {
  return [values](const std::string& name) -> std::optional<std::string> {
    auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
  };
}

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
    auto environment = environmentOf(c.environment);
    EXPECT_EQ(xdg::home(environment), c.home);
    EXPECT_EQ(xdg::dataHome(environment), c.data);
    EXPECT_EQ(xdg::configHome(environment), c.config);
    EXPECT_EQ(xdg::runtimeHome(environment), c.runtime);
  }
}

TEST(XdgLocations, PrivateFolderIsCreatedTightenedOrRefused) {
  TempDir temp;
  auto modeOf = [](const std::filesystem::path& path) {
    struct stat info = {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 07777;
  };
  EXPECT_EQ(xdg::ensurePrivateFolder(temp / "new"), std::nullopt);
  EXPECT_EQ(modeOf(temp / "new"), 0700u);

  std::filesystem::create_directory(temp / "open");
  ::chmod((temp / "open").c_str(), 0777);
  EXPECT_EQ(xdg::ensurePrivateFolder(temp / "open"), std::nullopt);
  EXPECT_EQ(modeOf(temp / "open"), 0700u);

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

TEST(LinuxSystem, FoldersFollowTheEnvironmentAndTheBundleTheExecutable) {
  for (const auto& [executable, bundle] : std::vector<std::pair<std::string, std::string>>{
           {"/home/a b/Copy.app/Contents/MacOS/quorvane-menubar", "/home/a b/Copy.app"},
           {"/usr/bin/quorvane-menubar", "/usr/bin"},
           {"/x/Contents/bin/quorvane-menubar", "/x/Contents/bin"},
           {"/x/MacOS/quorvane-menubar", "/x/MacOS"},
       }) {
    EXPECT_EQ(bundleFromExecutable(executable), bundle);
  }
  EXPECT_EQ(runningExecutable().filename(), "linux_tests");
  ScopedEnvironment home("HOME", "/home/tester");
  ScopedEnvironment data("XDG_DATA_HOME", std::nullopt);
  ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/proc/self/fd/0/not-a-folder");
  LinuxSystem system({"quorvane-menubar", "--enable-login"});
  EXPECT_EQ(system.bundleDirectory(), runningExecutable().parent_path());
  EXPECT_EQ(system.homeDirectory(), "/home/tester");
  EXPECT_EQ(system.applicationSupportDirectory(), "/home/tester/.local/share");
  EXPECT_EQ(system.runtimeDirectory(), "/tmp/quorvane-" + std::to_string(::getuid()));
  EXPECT_EQ(system.arguments(), (std::vector<std::string>{"quorvane-menubar", "--enable-login"}));
}

}  // namespace
}  // namespace quorvane
