#include "folder_identity.h"

#include <sys/stat.h>

#include <cerrno>

namespace {

fs::path mark_of(const fs::path& folder) {
  return folder / meta_folder / "folder-id";
}

}  // namespace

void make_private_folder(const fs::path& path) {
  if (::mkdir(path.c_str(), 0700) == 0) return;
  if (errno != EEXIST || ::chmod(path.c_str(), 0700) != 0) fail_on("create", path);
}

std::string mark_folder(const fs::path& folder, const std::string& id) {
  make_private_folder(folder / meta_folder);
  make_private_folder(folder / meta_folder / "tmp");
  std::string mark = id.empty() ? random_hex(16) : id;
  write_file_atomically(mark_of(folder), mark + "\n", 0600, folder / meta_folder / "tmp");
  return mark;
}

std::optional<std::string> folder_mark(const fs::path& folder) {
  std::error_code error;
  if (!fs::is_regular_file(mark_of(folder), error)) return std::nullopt;
  std::string mark = read_file(mark_of(folder));
  while (!mark.empty() && mark.back() == '\n') mark.pop_back();
  return mark;
}

void folder_missing(const fs::path& folder) {
  throw FolderMissing("The sync folder " + folder.string() +
                      " is not there (is its disk unplugged?); nothing is synced until it is "
                      "back.");
}

void check_folder_mark(const fs::path& folder, const std::string& id) {
  if (folder_mark(folder) != id) folder_missing(folder);
}
