#include "platform/linux/bundle_location.h"

#include <system_error>

namespace quorvane {

std::filesystem::path bundleFromExecutable(const std::filesystem::path& executable) {
  std::filesystem::path folder = executable.parent_path();
  std::filesystem::path contents = folder.parent_path();
  if (folder.filename() == "MacOS" && contents.filename() == "Contents") {
    return contents.parent_path();
  }
  return folder;
}

std::filesystem::path runningExecutable() {
  std::error_code error;
  std::filesystem::path executable = std::filesystem::canonical("/proc/self/exe", error);
  return error ? std::filesystem::path() : executable;
}

std::filesystem::path frontEndOf(const std::filesystem::path& bundle) {
  return bundle / "Contents" / "MacOS" / kFrontEndName;
}

std::filesystem::path launcherOf(const std::filesystem::path& bundle) {
  const std::filesystem::path frontEnd = frontEndOf(bundle);
  const std::filesystem::path lib = bundle.parent_path();
  if (bundle.filename() != "Quorvane.app" || lib.filename() != "quorvane" ||
      lib.parent_path().filename() != "lib") {
    return frontEnd;
  }
  const std::filesystem::path launcher = lib.parent_path().parent_path() / "bin" / kFrontEndName;
  std::error_code error;
  const bool same = std::filesystem::equivalent(launcher, frontEnd, error);
  return !error && same ? launcher : frontEnd;
}

}  // namespace quorvane
