// The main of the core, process and platform test programs: GoogleTest with a
// per-test deadline.
#include <gtest/gtest.h>

#include <chrono>

#include "support/test_deadline.h"

#ifndef QUORVANE_TEST_DEADLINE_SECONDS
#define QUORVANE_TEST_DEADLINE_SECONDS 20
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // GoogleTest takes ownership of its listeners.
  ::testing::UnitTest::GetInstance()->listeners().Append(
      new quorvane::testing::TestDeadline(std::chrono::seconds(QUORVANE_TEST_DEADLINE_SECONDS)));
  return RUN_ALL_TESTS();
}
