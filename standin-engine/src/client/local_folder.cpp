#include "local_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include <nlohmann/json.hpp>

#include "cli.h"

namespace {

constexpr const char* meta = ".quorvane";

LocalFile file_of(const struct stat& info) {
  return {info.st_size, info.st_mtim.tv_sec * 1'000'000'000LL + info.st_mtim.tv_nsec,
          static_cast<int64_t>(info.st_ino)};
}

// Tries "base", "base 2", "base 3"… until make succeeds with one of them.
template <typename Make>
void with_free_name(const std::string& base, const std::string& suffix, Make make) {
  for (int attempt = 1; attempt < 1000; ++attempt) {
    // Appended piece by piece: GCC 12 at -O3 takes `" " + std::string` for an
    // overlapping copy (-Wrestrict).
    std::string name = base;
    if (attempt > 1) name.append(" ").append(std::to_string(attempt));
    if (make(name.append(suffix))) return;
  }
  throw Failure("Could not find a free name for " + base + suffix + ".");
}

}  // namespace

std::optional<LocalFile> stat_file(const fs::path& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return file_of(info);
}

namespace {

// Reads one folder through its descriptor, so that no path is looked up twice;
// the descriptor is the scan's to close.
void scan_into(int folder_fd, const std::string& prefix, const fs::path& folder,
               std::map<std::string, LocalFile>& files) {
  std::unique_ptr<DIR, int (*)(DIR*)> entries(::fdopendir(folder_fd), ::closedir);
  if (!entries) {
    ::close(folder_fd);
    fail_on("read the folder", folder / prefix);
  }
  while (dirent* entry = ::readdir(entries.get())) {
    throw_if_stopped();
    std::string_view name = entry->d_name;
    if (name == "." || name == ".." || (prefix.empty() && name == meta)) continue;
    struct stat info;
    if (::fstatat(::dirfd(entries.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) continue;  // gone since the folder was read
      fail_on("examine", folder / prefix / entry->d_name);
    }
    if (S_ISREG(info.st_mode)) {
      files.emplace(prefix + entry->d_name, file_of(info));
    } else if (S_ISDIR(info.st_mode)) {
      int inner = ::openat(::dirfd(entries.get()), entry->d_name,
                           O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (inner < 0) fail_on("read the folder", folder / prefix / entry->d_name);
      scan_into(inner, prefix + entry->d_name + "/", folder, files);
    }
  }
}

}  // namespace

std::map<std::string, LocalFile> scan_folder(const fs::path& folder) {
  std::map<std::string, LocalFile> files;
  int top = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (top < 0) fail_on("read the folder", folder);
  scan_into(top, "", folder, files);
  return files;
}

bool safe_destination(const fs::path& folder, const std::string& path) {
  fs::path relative(path);
  if (path.empty() || path.back() == '/' || path.find('\0') != std::string::npos ||
      relative.is_absolute() || *relative.begin() == meta)
    return false;
  fs::path at = folder;
  for (auto part = relative.begin(); part != relative.end(); ++part) {
    if (part->empty() || *part == "." || *part == "..") return false;
    at /= *part;
    struct stat info;
    bool last = std::next(part) == relative.end();
    if (!last && ::lstat(at.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) return false;
  }
  return true;
}

void keep_in_recovery(const fs::path& folder, const std::string& path) {
  fs::path original = folder / path;
  std::string name = original.filename().string();
  fs::path recovered = folder / meta / "recovered";
  fs::create_directories(recovered);
  fs::path place;
  with_free_name((recovered / (local_time_text(now_seconds(), "%Y-%m-%d %H%M%S ") + name)).string(),
                 "", [&](const std::string& candidate) {
                   place = candidate;
                   if (::mkdir(candidate.c_str(), 0700) == 0) return true;
                   if (errno != EEXIST) fail_on("create", candidate);
                   return false;
                 });
  // The record first: a file in the recovery folder always has one.
  write_file_atomically(place / (name + ".original-path.txt"), original.string() + "\n", 0600,
                        folder / meta / "tmp");
  if (::rename(original.c_str(), (place / name).c_str()) != 0) fail_on("move aside", original);
}

void set_aside_as_conflict(const fs::path& folder, const std::string& path,
                           const std::string& device) {
  fs::path original = folder / path;
  std::string stem = (original.parent_path() / original.stem()).string();
  std::string label =
      " (conflict " + device + " " + local_time_text(now_seconds(), "%Y-%m-%d %H%M");
  with_free_name(
      stem + label, std::string(")").append(original.extension().string()),
      [&](const std::string& candidate) { return rename_without_replacing(original, candidate); });
}

void write_status(const fs::path& folder, const std::string& state, const std::string& message) {
  nlohmann::json status = {{"state", state}, {"message", message}, {"updated_at", now_seconds()}};
  write_file_atomically(folder / meta / "status.json", status.dump() + "\n", 0644,
                        folder / meta / "tmp");
}
