#pragma once

#include <filesystem>
#include <string>

namespace quorvane::testing {

// A fresh private folder, removed with everything in it when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& relative) const { return path_ / relative; }

 private:
  std::filesystem::path path_;
};

// Writes `content` to `path`, creating parent folders.
void writeFile(const std::filesystem::path& path, const std::string& content);
// The whole file, or "" when it cannot be read.
std::string readFile(const std::filesystem::path& path);

}  // namespace quorvane::testing
