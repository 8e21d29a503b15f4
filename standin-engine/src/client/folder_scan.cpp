#include "folder_scan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "cli.h"

namespace {

constexpr const char* meta = ".quorvane";

// Gone, or a folder on its way replaced by a file: nothing is there.
bool absent(int error) {
  return error == ENOENT || error == ENOTDIR;
}

std::string why(const char* action, const fs::path& path) {
  return std::string("Could not ") + action + " " + path.string() + ": " + std::strerror(errno) +
         ".";
}

// Reads one folder through its descriptor, so that no path is looked up twice
// and no path is too long to reach; the descriptor is the scan's to close.
void scan_into(int folder_fd, const std::string& prefix, const fs::path& folder, FolderScan& scan) {
  std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(folder_fd), ::closedir);
  if (!entries) {
    scan.unexamined[prefix] = why("read the folder", folder / prefix);
    ::close(folder_fd);
    return;
  }
  for (;;) {
    throw_if_stopped();
    errno = 0;
    dirent* entry = ::readdir(entries.get());
    if (!entry) {
      // Part of the folder is unknown: none of it may look deleted.
      if (errno != 0) scan.unexamined[prefix] = why("read the folder", folder / prefix);
      return;
    }
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || (prefix.empty() && name == meta)) continue;
    std::string path = prefix + entry->d_name;
    struct stat info;
    if (::fstatat(::dirfd(entries.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (!absent(errno)) scan.unexamined[path] = why("examine", folder / path);
    } else if (S_ISREG(info.st_mode)) {
      scan.files.emplace(path, file_of(info));
    } else if (S_ISDIR(info.st_mode)) {
      int inner = ::openat(::dirfd(entries.get()), entry->d_name,
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (inner >= 0)
        scan_into(inner, path + "/", folder, scan);
      else if (!absent(errno))
        scan.unexamined[path + "/"] = why("read the folder", folder / path);
    }
  }
}

}  // namespace

LocalFile file_of(const struct stat& info) {
  return {info.st_size, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec,
          static_cast<int64_t>(info.st_ino), static_cast<int64_t>(info.st_mode & 0777)};
}

const std::string* FolderScan::unexamined_at(const std::string& path) const {
  // A folder's entry sorts before everything below it, and nothing else can
  // come between: nothing below it was examined.
  auto after = unexamined.upper_bound(path);
  if (after == unexamined.begin()) return nullptr;
  const auto& [place, sentence] = *std::prev(after);
  bool inside = place == path || (place.ends_with('/') && path.starts_with(place));
  return inside ? &sentence : nullptr;
}

FolderScan scan_folder(const fs::path& folder) {
  FolderScan scan;
  int top = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (top < 0) fail_on("read the folder", folder);
  scan_into(top, "", folder, scan);
  if (auto whole = scan.unexamined.find(""); whole != scan.unexamined.end())
    throw Failure(whole->second);
  return scan;
}

std::optional<LocalFile> stat_file(const fs::path& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) {
    if (absent(errno)) return std::nullopt;
    fail_on("examine", path);
  }
  if (!S_ISREG(info.st_mode)) return std::nullopt;
  return file_of(info);
}
