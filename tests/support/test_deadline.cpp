#include "support/test_deadline.h"

#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace quorvane::testing {
namespace {

// A child the test forked would keep the runner's output pipe open, and the
// runner would wait for it until its own timeout.
void killOwnChildren() {
  std::error_code error;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
    std::ifstream children(task.path() / "children");
    for (pid_t child; children >> child;) ::kill(child, SIGKILL);
  }
}

}  // namespace

TestDeadline::~TestDeadline() {
  cancel();
}

void TestDeadline::OnTestStart(const ::testing::TestInfo& test) {
  cancel();
  std::string name = std::string(test.test_suite_name()) + "." + test.name();
  {
    std::lock_guard lock(mutex_);
    running_ = true;
  }
  watchdog_ = std::thread([this, name = std::move(name)] {
    std::unique_lock lock(mutex_);
    watching_ = true;
    changed_.notify_all();
    if (changed_.wait_for(lock, limit_, [this] { return !running_; })) return;
    std::fprintf(stderr,
                 "\n%s did not finish within %lld s: something it waits for (an engine's "
                 "output, a child's exit, background work) never came.\n",
                 name.c_str(), static_cast<long long>(limit_.count()));
    std::fflush(stderr);
    killOwnChildren();
    std::_Exit(124);
  });
  // The test starts only once the watchdog is parked: a test that forks must not
  // catch it halfway through starting, holding a lock of the allocator (the
  // sanitizers' allocators do not reset their locks in the child).
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return watching_; });
}

void TestDeadline::OnTestEnd(const ::testing::TestInfo&) {
  cancel();
}

void TestDeadline::cancel() {
  {
    std::lock_guard lock(mutex_);
    running_ = false;
    watching_ = false;
  }
  changed_.notify_all();
  if (watchdog_.joinable()) watchdog_.join();
}

}  // namespace quorvane::testing
