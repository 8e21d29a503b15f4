#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorvane {

// `folder` with the relative path `names` ("a/b") appended. The same as
// folder / "a" / "b", but the whole path is parsed once rather than once per
// name: the refresh tick builds these paths every two seconds.
inline std::filesystem::path joinPath(const std::filesystem::path& folder, std::string_view names) {
  std::string joined = folder.native();
  if (!joined.empty() && joined.back() != '/') joined += '/';
  joined += names;
  return std::filesystem::path(std::move(joined));
}

}  // namespace quorvane
