#include "platform/posix/spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/close_range.h>
#include <sys/prctl.h>
#endif

#include <cerrno>

#include "platform/posix/error_text.h"
#include "platform/posix/file_descriptor.h"

namespace quorvane::detail {
namespace {

// Everything the child needs, prepared before vfork: the child shares this
// process's memory until it execs, so it only makes system calls and never
// allocates or returns.
struct ChildPlan {
  const char* path;
  char* const* argv;
  ChildStreams streams;
  pid_t parent;
  int report;  // close-on-exec pipe that carries errno when exec fails
  int descriptorLimit;
};

[[noreturn]] void failChild(int report, int error) {
  (void)!::write(report, &error, sizeof error);
  ::_exit(127);
}

void markDescriptorsCloseOnExec(int limit) {
#if defined(__linux__) && defined(CLOSE_RANGE_CLOEXEC)
  if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
  for (int fd = 3; fd < limit; ++fd) ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

bool placeStream(int source, int target) {
  if (source == kKeepOwn) {
    // An inherited stream is kept even when this process marked it close-on-exec.
    int flags = ::fcntl(target, F_GETFD);
    return flags < 0 || ::fcntl(target, F_SETFD, flags & ~FD_CLOEXEC) == 0;
  }
  return ::dup2(source, target) == target;
}

[[noreturn]] void runChild(const ChildPlan& plan) {
#ifdef __linux__
  if (::prctl(PR_SET_PDEATHSIG, SIGTERM) != 0) failChild(plan.report, errno);
  // The launching thread may have ended before the request above took effect.
  if (::getppid() != plan.parent) ::_exit(127);
#endif
  // Handlers do not survive exec but ignored signals do; SIGPIPE in particular is
  // ignored here and must not be for the engine.
  struct sigaction defaultAction = {};
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  for (int signal = 1; signal < NSIG; ++signal) ::sigaction(signal, &defaultAction, nullptr);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);

  if (!placeStream(plan.streams.input, STDIN_FILENO)) failChild(plan.report, errno);
  if (!placeStream(plan.streams.output, STDOUT_FILENO)) failChild(plan.report, errno);
  int errorSource = plan.streams.error == kSameAsOutput ? STDOUT_FILENO : plan.streams.error;
  if (!placeStream(errorSource, STDERR_FILENO)) failChild(plan.report, errno);
  markDescriptorsCloseOnExec(plan.descriptorLimit);

  ::execv(plan.path, plan.argv);
  failChild(plan.report, errno);
}

// Blocks every signal on this thread for the vfork, so that no handler of this
// process runs in the child before its dispositions are reset.
class SignalsBlocked {
 public:
  SignalsBlocked() {
    sigset_t all;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &saved_);
  }
  ~SignalsBlocked() { ::pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }
  SignalsBlocked(const SignalsBlocked&) = delete;
  SignalsBlocked& operator=(const SignalsBlocked&) = delete;

 private:
  sigset_t saved_;
};

int descriptorLimit() {
  rlimit limit = {};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY ||
      limit.rlim_cur > 1 << 20) {
    return 1 << 16;
  }
  return static_cast<int>(limit.rlim_cur);
}

void reapNow(pid_t pid) {
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

std::variant<pid_t, std::string> forkExec(const std::filesystem::path& executable,
                                          const std::vector<std::string>& arguments,
                                          const ChildStreams& streams) {
  std::string path = executable.string();
  std::vector<std::string> storage;
  storage.reserve(arguments.size() + 1);
  storage.push_back(path);
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& argument : storage) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return describeError(errno, executable);
  FileDescriptor reportRead(ends[0]);
  FileDescriptor reportWrite(ends[1]);
  if (reportWrite.get() < 3) {
    // dup2 onto the standard streams in the child must not overwrite it.
    reportWrite.reset(::fcntl(reportWrite.get(), F_DUPFD_CLOEXEC, 3));
    if (!reportWrite) return describeError(errno, executable);
  }

  ChildPlan plan{path.c_str(), argv.data(),       streams,
                 ::getpid(),   reportWrite.get(), descriptorLimit()};
  pid_t pid;
  {
    SignalsBlocked blocked;
    // Not fork: copying the page tables of a large front end costs more than the
    // whole run of a short engine command.
    pid = ::vfork();
    if (pid == 0) runChild(plan);
  }
  if (pid < 0) return describeError(errno, executable);
  reportWrite.reset();

  int childError = 0;
  ssize_t got;
  do {
    got = ::read(reportRead.get(), &childError, sizeof childError);
  } while (got < 0 && errno == EINTR);
  if (got == static_cast<ssize_t>(sizeof childError)) {
    reapNow(pid);
    return describeError(childError, executable);
  }
  return pid;  // end-of-file: exec succeeded and closed the report pipe
}

}  // namespace quorvane::detail
