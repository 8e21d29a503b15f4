#include "files.h"

#include <fcntl.h>
#include <sodium.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

#include "cli.h"

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

Descriptor::~Descriptor() {
  if (fd_ >= 0) ::close(fd_);
}

void fail_on(const std::string& action, const fs::path& path) {
  if (errno == ENOSPC || errno == EDQUOT) throw NoSpace(std::strerror(errno));
  throw Failure("Could not " + action + " " + path.string() + ": " + std::strerror(errno) + ".");
}

Descriptor open_file(const fs::path& path, int flags, mode_t mode) {
  int fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  if (fd < 0) fail_on("open", path);
  return Descriptor(fd);
}

TempFile::TempFile(const fs::path& folder, mode_t mode)
    : path_(folder / (".quorvane-" + random_hex(8) + ".tmp")),
      fd_(open_file(path_, O_WRONLY | O_CREAT | O_EXCL, mode)) {}

TempFile::~TempFile() {
  if (!published_) ::unlink(path_.c_str());
}

void TempFile::write(std::string_view data) {
  while (!data.empty()) {
    ssize_t written = ::write(fd_.get(), data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) fail_on("write", path_);
    data.remove_prefix(static_cast<size_t>(written));
  }
}

void TempFile::sync() {
  if (::fdatasync(fd_.get()) != 0) fail_on("write", path_);
}

bool TempFile::publish(const fs::path& target, Replace how) {
  fd_ = Descriptor();
  if (how == Replace::never) {
    published_ = rename_without_replacing(path_, target);
  } else {
    if (::rename(path_.c_str(), target.c_str()) != 0) fail_on("write", target);
    published_ = true;
  }
  return published_;
}

void write_file_atomically(const fs::path& target, std::string_view content, mode_t mode,
                           const fs::path& temporaries) {
  TempFile temp(temporaries.empty() ? target.parent_path() : temporaries, mode);
  temp.write(content);
  temp.sync();
  temp.publish(target, Replace::existing);
}

void flush_file_system(const fs::path& path) {
  Descriptor fd = open_file(path, O_RDONLY | O_DIRECTORY);
  if (::syncfs(fd.get()) != 0) fail_on("flush", path);
}

std::string read_file(const fs::path& path) {
  Descriptor fd = open_file(path, O_RDONLY);
  std::string content;
  char chunk[65536];
  for (ssize_t got; (got = ::read(fd.get(), chunk, sizeof chunk)) != 0;) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail_on("read", path);
    content.append(chunk, static_cast<size_t>(got));
    if (content.size() > (1 << 20)) throw Failure("The file " + path.string() + " is too large.");
  }
  return content;
}

bool rename_without_replacing(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EINVAL || errno == ENOSYS) {
    // A hard link never replaces anything, on every POSIX file system.
    if (::link(from.c_str(), to.c_str()) == 0) {
      ::unlink(from.c_str());
      return true;
    }
  }
  if (errno == EEXIST) return false;
  fail_on("move " + from.string() + " to", to);
}

std::string random_hex(size_t bytes) {
  std::vector<unsigned char> random(bytes);
  randombytes_buf(random.data(), bytes);
  std::string hex(bytes * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), random.data(), bytes);
  hex.pop_back();
  return hex;
}

namespace {

std::function<void()> copy_heartbeat;

}  // namespace

void set_copy_heartbeat(std::function<void()> heartbeat) {
  copy_heartbeat = std::move(heartbeat);
}

void beat_while_copying() {
  // Across copies: many small ones take long too.
  static auto last_beat = std::chrono::steady_clock::now();
  if (copy_heartbeat && std::chrono::steady_clock::now() - last_beat > std::chrono::seconds(10)) {
    copy_heartbeat();
    last_beat = std::chrono::steady_clock::now();
  }
}
