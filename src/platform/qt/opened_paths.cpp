#include "platform/qt/opened_paths.h"

#include <system_error>

namespace quorvane {

std::vector<std::filesystem::path> openedPaths(const std::vector<std::string>& arguments) {
  std::vector<std::filesystem::path> paths;
  bool options = true;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.empty()) continue;
    if (options && argument == "--") {
      options = false;
      continue;
    }
    if (options && argument.front() == '-') continue;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(argument, error);
    paths.push_back(error ? std::filesystem::path(argument) : absolute);
  }
  return paths;
}

}  // namespace quorvane
