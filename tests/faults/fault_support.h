#pragma once

#include <sys/types.h>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::testing {

// A small tmpfs at `where`, seen only by this process and the children it starts
// from now on (a mount namespace of its own). Needs the privilege to mount; ok()
// says whether it was granted. Unmounted when destroyed.
class PrivateMount {
 public:
  PrivateMount(const std::filesystem::path& where, std::size_t bytes);
  ~PrivateMount();
  PrivateMount(const PrivateMount&) = delete;
  PrivateMount& operator=(const PrivateMount&) = delete;

  // Empty when mounted; else why not.
  const std::string& error() const { return error_; }
  // Makes it read-only or writable again; returns the error, if any.
  std::optional<std::string> setReadOnly(bool readOnly);

 private:
  std::filesystem::path where_;
  std::size_t bytes_;
  std::string error_;
};

// This process's children that have ended but were never reaped.
std::vector<pid_t> zombieChildren();
// How many descriptors and threads this process has, and its resident memory.
std::size_t openDescriptorCount();
std::size_t threadCount();
std::size_t residentBytes();

}  // namespace quorvane::testing
