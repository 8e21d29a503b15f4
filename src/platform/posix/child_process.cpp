#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/posix/error_text.h"
#include "platform/posix/spawn.h"

namespace quorvane {

// Shared by the ChildProcess object and the waiter thread, so the waiter can reap
// and report after the object is gone.
struct ChildProcess::State {
  pid_t pid = -1;
  std::uint64_t serial = 0;
  // The parent's pipe ends; used by the owning thread only.
  FileDescriptor input;
  FileDescriptor output;
  FileDescriptor error;

  mutable std::mutex mutex;
  std::condition_variable changed;
  bool exited = false;    // reaped: the pid may belong to someone else from now on
  bool reported = false;  // the termination handler has returned or was dropped
  int status = -1;
  std::thread::id waiter;

  // Held while the handler runs, so clearing it waits for a call in progress.
  // Recursive so that the handler itself may clear it.
  std::recursive_mutex handlerMutex;
  TerminationHandler handler;
};

namespace {

std::atomic<std::uint64_t> nextSerial{1};
std::once_flag sigpipeIgnored;

int decodeStatus(int raw) {
  if (WIFEXITED(raw)) return WEXITSTATUS(raw);
  if (WIFSIGNALED(raw)) return WTERMSIG(raw);
  return -1;
}

void awaitAndReport(const std::shared_ptr<ChildProcess::State>& state) {
  sigset_t all;
  sigfillset(&all);
  ::pthread_sigmask(SIG_SETMASK, &all, nullptr);  // signal handlers run elsewhere
  {
    std::lock_guard lock(state->mutex);
    state->waiter = std::this_thread::get_id();
  }
  // Wait without reaping, then reap under the mutex: while the zombie exists its
  // pid cannot be reused, so terminate() and kill() never hit another process.
  siginfo_t info = {};
  while (::waitid(P_PID, static_cast<id_t>(state->pid), &info, WEXITED | WNOWAIT) != 0 &&
         errno == EINTR) {
  }
  int status = -1;
  {
    std::lock_guard lock(state->mutex);
    int raw = 0;
    pid_t reaped;
    do {
      reaped = ::waitpid(state->pid, &raw, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == state->pid) status = decodeStatus(raw);
    state->exited = true;
    state->status = status;
  }
  state->changed.notify_all();
  {
    std::lock_guard handlerLock(state->handlerMutex);
    TerminationHandler handler = std::exchange(state->handler, nullptr);
    if (handler) handler(status);
  }
  {
    std::lock_guard lock(state->mutex);
    state->reported = true;
  }
  state->changed.notify_all();
}

// Waiting ends once the handler has been dealt with; inside the handler, once reaped.
bool finished(const ChildProcess::State& state) {
  return state.reported || (state.exited && state.waiter == std::this_thread::get_id());
}

struct Pipe {
  FileDescriptor read;
  FileDescriptor write;
};

// Keeps the child's end off 0, 1 and 2, which the child's setup overwrites.
bool moveAboveStdio(FileDescriptor& fd) {
  if (fd.get() >= 3) return true;
  fd.reset(::fcntl(fd.get(), F_DUPFD_CLOEXEC, 3));
  return fd.valid();
}

std::optional<Pipe> makePipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return std::nullopt;
  Pipe pipe{FileDescriptor(ends[0]), FileDescriptor(ends[1])};
  if (!moveAboveStdio(pipe.read) || !moveAboveStdio(pipe.write)) return std::nullopt;
  return pipe;
}

enum class Direction { toChild, fromChild };

// Prepares one stream: `childEnd` gets what the child uses, `parentEnd` what the
// caller takes (pipes only).
std::optional<std::string> prepareStream(const Stdio& stdio, Direction direction,
                                         FileDescriptor& childEnd, FileDescriptor& parentEnd,
                                         const std::filesystem::path& executable) {
  switch (stdio.kind) {
    case Stdio::Kind::inherit:
    case Stdio::Kind::sameAsOutput:
      return std::nullopt;
    case Stdio::Kind::pipe: {
      auto pipe = makePipe();
      if (!pipe) return describeError(errno, executable);
      bool childReads = direction == Direction::toChild;
      childEnd = std::move(childReads ? pipe->read : pipe->write);
      parentEnd = std::move(childReads ? pipe->write : pipe->read);
      return std::nullopt;
    }
    case Stdio::Kind::file:
      // A private copy at 3 or above; also checks that the descriptor is open.
      childEnd.reset(::fcntl(stdio.fd, F_DUPFD_CLOEXEC, 3));
      if (!childEnd) return describeError(errno, executable);
      return std::nullopt;
  }
  return std::nullopt;
}

int childSide(const Stdio& stdio, const FileDescriptor& childEnd) {
  if (stdio.kind == Stdio::Kind::sameAsOutput) return detail::kSameAsOutput;
  return childEnd ? childEnd.get() : detail::kKeepOwn;
}

}  // namespace

std::variant<std::unique_ptr<ChildProcess>, std::string> ChildProcess::launch(
    const LaunchRequest& request, TerminationHandler onTermination) {
  // Writing to a child that has gone must fail with EPIPE, not kill this process.
  std::call_once(sigpipeIgnored, [] { ::signal(SIGPIPE, SIG_IGN); });

  if (request.input.kind == Stdio::Kind::sameAsOutput ||
      request.output.kind == Stdio::Kind::sameAsOutput) {
    return describeError(EINVAL, request.executable);
  }
  auto state = std::make_shared<State>();
  FileDescriptor childInput, childOutput, childError;
  const auto& executable = request.executable;
  if (auto error =
          prepareStream(request.input, Direction::toChild, childInput, state->input, executable)) {
    return *error;
  }
  if (auto error = prepareStream(request.output, Direction::fromChild, childOutput, state->output,
                                 executable)) {
    return *error;
  }
  if (auto error = prepareStream(request.error, Direction::fromChild, childError, state->error,
                                 executable)) {
    return *error;
  }

  detail::ChildStreams childStreams{childSide(request.input, childInput),
                                    childSide(request.output, childOutput),
                                    childSide(request.error, childError)};
  auto started = detail::forkExec(request.executable, request.arguments, childStreams);
  if (auto* error = std::get_if<std::string>(&started)) return *error;

  state->pid = std::get<pid_t>(started);
  state->serial = nextSerial.fetch_add(1);
  state->handler = std::move(onTermination);
  try {
    std::thread(awaitAndReport, state).detach();
  } catch (const std::system_error& error) {
    // Without a waiter nobody would reap it: stop it here instead.
    ::kill(state->pid, SIGKILL);
    while (::waitpid(state->pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return describeError(error.code().value(), request.executable);
  }
  return std::unique_ptr<ChildProcess>(new ChildProcess(std::move(state)));
}

ChildProcess::ChildProcess(std::shared_ptr<State> state) : state_(std::move(state)) {}

ChildProcess::~ChildProcess() {
  // The waiter keeps the state alive; pipe ends not taken close now, so the child
  // sees end-of-file on its input.
  state_->input.reset();
  state_->output.reset();
  state_->error.reset();
}

pid_t ChildProcess::pid() const {
  return state_->pid;
}
std::uint64_t ChildProcess::serial() const {
  return state_->serial;
}

FileDescriptor ChildProcess::takeInput() {
  return std::move(state_->input);
}
FileDescriptor ChildProcess::takeOutput() {
  return std::move(state_->output);
}
FileDescriptor ChildProcess::takeError() {
  return std::move(state_->error);
}

void ChildProcess::clearTerminationHandler() {
  std::lock_guard handlerLock(state_->handlerMutex);
  state_->handler = nullptr;
}

void ChildProcess::terminate() {
  std::lock_guard lock(state_->mutex);
  if (!state_->exited) ::kill(state_->pid, SIGTERM);
}

void ChildProcess::kill() {
  std::lock_guard lock(state_->mutex);
  if (!state_->exited) ::kill(state_->pid, SIGKILL);
}

bool ChildProcess::hasExited() const {
  std::lock_guard lock(state_->mutex);
  return state_->exited;
}

int ChildProcess::waitUntilExit() {
  std::unique_lock lock(state_->mutex);
  state_->changed.wait(lock, [&] { return finished(*state_); });
  return state_->status;
}

bool ChildProcess::waitUntilExit(std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  return state_->changed.wait_for(lock, timeout, [&] { return finished(*state_); });
}

int ChildProcess::terminationStatus() const {
  std::lock_guard lock(state_->mutex);
  return state_->status;
}

bool stopChild(ChildProcess& child, std::chrono::milliseconds grace) {
  child.terminate();
  if (child.waitUntilExit(grace)) return true;
  child.kill();
  child.waitUntilExit();
  return false;
}

}  // namespace quorvane
