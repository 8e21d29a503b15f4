#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/posix/file_descriptor.h"

namespace quorvane {

// Where one of a child's standard streams goes.
struct Stdio {
  enum class Kind {
    inherit,       // this process's own stream
    pipe,          // a new pipe; the parent's end is taken with take*()
    file,          // a descriptor the caller keeps open until launch() returns
    sameAsOutput,  // stderr only: the same destination as stdout (one shared pipe or file)
  };
  Kind kind = Kind::inherit;
  int fd = -1;  // Kind::file only

  static Stdio inherit() { return {}; }
  static Stdio pipe() { return {Kind::pipe, -1}; }
  static Stdio file(int fd) { return {Kind::file, fd}; }
  static Stdio sameAsOutput() { return {Kind::sameAsOutput, -1}; }
};

struct LaunchRequest {
  std::filesystem::path executable;
  std::vector<std::string> arguments;  // after the program name, passed as given
  Stdio input;
  Stdio output;
  Stdio error;
};

// Called once, on the process's waiter thread, when it has ended and been reaped.
using TerminationHandler = std::function<void(int terminationStatus)>;

// A launched child. Guarantees:
// - the child inherits no descriptor but its stdin, stdout and stderr;
// - it gets SIGTERM when the thread that launched it ends (Linux parent-death
//   signal), so launch from a thread that outlives the child: the main thread, or a
//   background thread that waits for it;
// - a waiter thread reaps it whenever it ends, even after this object is gone, so
//   no zombie is left;
// - SIGPIPE is ignored in this process from the first launch on, so writing to a
//   child that has gone fails with EPIPE instead of killing the front end.
class ChildProcess {
 public:
  // On failure returns the system's description of the error (for example
  // "No such file or directory: /path/to/quorvane"); nothing is left running.
  static std::variant<std::unique_ptr<ChildProcess>, std::string> launch(
      const LaunchRequest& request, TerminationHandler onTermination = {});

  ~ChildProcess();  // neither signals nor waits: the waiter thread still reaps
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const;
  // Unique among all children of this process, unlike pids, which the system reuses.
  std::uint64_t serial() const;

  // The parent's ends of the pipes asked for; empty when none was.
  FileDescriptor takeInput();
  FileDescriptor takeOutput();
  FileDescriptor takeError();

  // Drops the termination handler; once this returns it will not be called.
  void clearTerminationHandler();

  void terminate();  // SIGTERM
  void kill();       // SIGKILL

  bool hasExited() const;
  // Blocks until the child has ended and its termination handler, if any, has
  // returned (inside the handler: until it has ended); returns its termination status.
  int waitUntilExit();
  // Returns false if the child is still running after `timeout`.
  bool waitUntilExit(std::chrono::milliseconds timeout);
  // The exit code, or the number of the signal that ended it (as NSTask reports).
  // Valid once hasExited().
  int terminationStatus() const;

  struct State;

 private:
  explicit ChildProcess(std::shared_ptr<State> state);
  std::shared_ptr<State> state_;
};

// SIGTERM, up to `grace` for the child to end, then SIGKILL and a wait without limit.
// Returns true when it ended within the grace period.
bool stopChild(ChildProcess& child, std::chrono::milliseconds grace = std::chrono::seconds(10));

}  // namespace quorvane
