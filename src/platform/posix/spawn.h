#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace quorvane::detail {

// The descriptors a new process gets as stdin, stdout and stderr. Each must be 3 or
// higher so that setting up one stream cannot overwrite the source of another.
inline constexpr int kKeepOwn = -1;       // this process's own stream
inline constexpr int kSameAsOutput = -2;  // stderr only: whatever stdout became
struct ChildStreams {
  int input = kKeepOwn;
  int output = kKeepOwn;
  int error = kKeepOwn;
};

// Forks and executes `executable` with `arguments` (argv[0] is the executable's
// path). The child holds no descriptor but its three streams and gets SIGTERM when
// the calling thread ends. Returns the child's pid, or the description of why the
// program could not be started; such a child has already been reaped.
std::variant<pid_t, std::string> forkExec(const std::filesystem::path& executable,
                                          const std::vector<std::string>& arguments,
                                          const ChildStreams& streams);

}  // namespace quorvane::detail
