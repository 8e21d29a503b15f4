#include "local_folder.h"

#include <limits.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli.h"
#include "folder_identity.h"

namespace {

// The longest start of text within room bytes that ends between UTF-8 characters.
std::string cut_to(const std::string& text, size_t room) {
  if (text.size() <= room) return text;
  size_t end = room;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// name in at most room bytes, shortened before its extension, which is kept
// unless it alone would leave too little of the rest.
std::string shortened(const std::string& name, size_t room) {
  std::string extension = fs::path(name).extension().string();
  if (name.size() <= room) return name;
  if (extension.size() + 16 > room) return cut_to(name, room);
  return cut_to(name.substr(0, name.size() - extension.size()), room - extension.size()) +
         extension;
}

// Tries name(""), name(" 2"), name(" 3")… until make succeeds with one of them.
template <typename Name, typename Make>
void with_free_name(Name name, Make make) {
  for (int attempt = 1; attempt < 1000; ++attempt) {
    // Appended piece by piece: GCC 12 at -O3 takes `" " + std::string` for an
    // overlapping copy (-Wrestrict).
    std::string number;
    if (attempt > 1) number.append(" ").append(std::to_string(attempt));
    if (make(name(number))) return;
  }
  throw Failure("Could not find a free name for " + name("") + ".");
}

bool holds_only_folders(const fs::path& path) {
  for (const auto& entry : fs::recursive_directory_iterator(path))
    if (!entry.is_directory() || entry.is_symlink()) return false;
  return true;
}

}  // namespace

bool safe_destination(const fs::path& folder, const std::string& path) {
  fs::path relative(path);
  if (path.empty() || path.back() == '/' || path.find('\0') != std::string::npos ||
      relative.is_absolute() || *relative.begin() == meta_folder)
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
  fs::path recovered = folder / meta_folder / "recovered";
  make_private_folder(recovered);
  std::string time = local_time_text(now_seconds(), "%Y-%m-%d %H%M%S ");
  fs::path place;
  with_free_name(
      [&](const std::string& number) {
        return (recovered /
                (time + shortened(name, NAME_MAX - time.size() - number.size()) + number))
            .string();
      },
      [&](const std::string& candidate) {
        place = candidate;
        if (::mkdir(candidate.c_str(), 0700) == 0) return true;
        if (errno != EEXIST) fail_on("create", candidate);
        return false;
      });
  // The record first: a file in the recovery folder always has one.
  const std::string record = ".original-path.txt";
  write_file_atomically(place / (shortened(name, NAME_MAX - record.size()) + record),
                        original.string() + "\n", 0600, folder / meta_folder / "tmp");
  if (::rename(original.c_str(), (place / name).c_str()) != 0) fail_on("move aside", original);
}

void set_aside_as_conflict(const fs::path& folder, const std::string& path,
                           const std::string& device) {
  fs::path original = folder / path;
  std::string stem = original.stem().string(), extension = original.extension().string();
  std::string label =
      " (conflict " + device + " " + local_time_text(now_seconds(), "%Y-%m-%d %H%M");
  if (label.size() + extension.size() + 24 > NAME_MAX) {  // an extension too long to keep
    stem += extension;
    extension.clear();
  }
  with_free_name(
      [&](const std::string& number) {
        std::string tail = label + number + ")" + extension;
        return (original.parent_path() / (cut_to(stem, NAME_MAX - tail.size()) + tail)).string();
      },
      [&](const std::string& candidate) { return rename_without_replacing(original, candidate); });
}

bool make_way(const fs::path& folder, const std::string& path) {
  fs::path target = folder / path;
  if (fs::is_directory(fs::symlink_status(target)) && holds_only_folders(target)) {
    fs::remove_all(target);
    return false;
  }
  keep_in_recovery(folder, path);
  return true;
}

void write_status(const fs::path& folder, const std::string& state, const std::string& message) {
  nlohmann::json status = {{"state", state}, {"message", message}, {"updated_at", now_seconds()}};
  write_file_atomically(folder / meta_folder / "status.json", status.dump() + "\n", 0600,
                        folder / meta_folder / "tmp");
}
