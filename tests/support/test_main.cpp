// The main of the core, process and platform test programs: GoogleTest with a
// per-test deadline.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/test_deadline.h"

#ifndef QUORVANE_TEST_DEADLINE_SECONDS
#define QUORVANE_TEST_DEADLINE_SECONDS 20
#endif

// The sanitizers slow everything down several times; a hang is still a hang, and
// the deadline stays below ctest's own timeout of 120 s.
#if defined(__SANITIZE_THREAD__)
constexpr int kSlowdown = 4;
#elif defined(__SANITIZE_ADDRESS__)
constexpr int kSlowdown = 2;
#else
constexpr int kSlowdown = 1;
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int seconds = std::min(QUORVANE_TEST_DEADLINE_SECONDS * kSlowdown, 110);
  // GoogleTest takes ownership of its listeners.
  ::testing::UnitTest::GetInstance()->listeners().Append(
      new quorvane::testing::TestDeadline(std::chrono::seconds(seconds)));
  return RUN_ALL_TESTS();
}
