#include "support/test_deadline.h"

#include <cstdio>
#include <cstdlib>

namespace quorvane::testing {

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
    if (ended_.wait_for(lock, limit_, [this] { return !running_; })) return;
    std::fprintf(stderr,
                 "\n%s did not finish within %lld s: something it waits for (an engine's "
                 "output, a child's exit, background work) never came.\n",
                 name.c_str(), static_cast<long long>(limit_.count()));
    std::fflush(stderr);
    std::_Exit(124);
  });
}

void TestDeadline::OnTestEnd(const ::testing::TestInfo&) {
  cancel();
}

void TestDeadline::cancel() {
  {
    std::lock_guard lock(mutex_);
    running_ = false;
  }
  ended_.notify_all();
  if (watchdog_.joinable()) watchdog_.join();
}

}  // namespace quorvane::testing
