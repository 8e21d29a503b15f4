#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace quorvane::testing {

// Ends the test program with a clear message when one test runs longer than
// `limit`: a read or wait that never returns (an engine whose input is never
// closed, a child never reaped) then fails in seconds, not at the ctest timeout.
class TestDeadline : public ::testing::EmptyTestEventListener {
 public:
  explicit TestDeadline(std::chrono::seconds limit) : limit_(limit) {}
  ~TestDeadline() override;

  void OnTestStart(const ::testing::TestInfo& test) override;
  void OnTestEnd(const ::testing::TestInfo& test) override;

 private:
  void cancel();

  std::chrono::seconds limit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool running_ = false;
  bool watching_ = false;
  std::thread watchdog_;
};

}  // namespace quorvane::testing
