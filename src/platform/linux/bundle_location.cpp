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

}  // namespace quorvane
