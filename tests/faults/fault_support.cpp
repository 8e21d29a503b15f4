#include "faults/fault_support.h"

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

namespace quorvane::testing {
namespace {

std::string systemError(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

std::size_t entries(const std::filesystem::path& folder) {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

}  // namespace

PrivateMount::PrivateMount(const std::filesystem::path& where, std::size_t bytes)
    : where_(where), bytes_(bytes) {
  std::filesystem::create_directories(where_);
  if (::unshare(CLONE_NEWNS) != 0) {
    error_ = systemError("unshare");
  } else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    error_ = systemError("private mounts");
  } else if (::mount("tmpfs", where_.c_str(), "tmpfs", 0,
                     ("size=" + std::to_string(bytes_)).c_str()) != 0) {
    error_ = systemError("mount");
  }
}

PrivateMount::~PrivateMount() {
  if (error_.empty()) ::umount2(where_.c_str(), MNT_DETACH);
}

std::optional<std::string> PrivateMount::setReadOnly(bool readOnly) {
  const unsigned long flags = MS_REMOUNT | (readOnly ? MS_RDONLY : 0);
  if (::mount("tmpfs", where_.c_str(), "tmpfs", flags,
              ("size=" + std::to_string(bytes_)).c_str()) != 0) {
    return systemError("remount");
  }
  return std::nullopt;
}

std::vector<pid_t> zombieChildren() {
  std::vector<pid_t> zombies;
  const pid_t self = ::getpid();
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // pid (comm) state ppid ...; comm may hold spaces and parentheses.
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    char state = 0;
    pid_t parent = 0;
    rest >> state >> parent;
    if (state == 'Z' && parent == self) zombies.push_back(std::stoi(entry.path().filename()));
  }
  return zombies;
}

std::size_t openDescriptorCount() {
  return entries("/proc/self/fd");
}

std::size_t threadCount() {
  return entries("/proc/self/task");
}

std::size_t residentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

}  // namespace quorvane::testing
