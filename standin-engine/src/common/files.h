// Files written whole or not at all: a temporary name, then a rename.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace fs = std::filesystem;

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Descriptor& operator=(Descriptor&& other) noexcept;
  ~Descriptor();
  int get() const { return fd_; }

 private:
  int fd_;
};

// The disk is full, or the user's quota is used up.
struct NoSpace : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Throws the Failure "Could not <action> <path>: <the system's reason>.", or
// NoSpace when that reason is a full disk.
[[noreturn]] void fail_on(const std::string& action, const fs::path& path);
Descriptor open_file(const fs::path& path, int flags, mode_t mode = 0);

enum class Replace { existing, never };

// A new file under a temporary name in a folder; removed unless published.
class TempFile {
 public:
  TempFile(const fs::path& folder, mode_t mode);
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile();
  int fd() const { return fd_.get(); }
  const fs::path& path() const { return path_; }
  void write(std::string_view data);
  void sync();
  // Closes and renames onto target; with Replace::never it returns false and
  // keeps nothing when target already exists.
  bool publish(const fs::path& target, Replace how);

 private:
  fs::path path_;
  Descriptor fd_;
  bool published_ = false;
};

// One flush for a batch of files, before a catalogue names them.
void flush_file_system(const fs::path& path);
// Written whole and flushed, or not at all. The temporary file goes into
// temporaries (on the same file system), else beside target.
void write_file_atomically(const fs::path& target, std::string_view content, mode_t mode,
                           const fs::path& temporaries = {});
// Reads a small file whole (connection files, configurations).
std::string read_file(const fs::path& path);
// Renames unless target exists (then false), on file systems with and without
// renameat2's RENAME_NOREPLACE.
bool rename_without_replacing(const fs::path& from, const fs::path& to);

std::string random_hex(size_t bytes);
// Called every ten seconds or so while copies go on, so that a watcher can keep
// telling the front end that it is alive.
void set_copy_heartbeat(std::function<void()> heartbeat);
void beat_while_copying();
