// The main of the core, process and platform test programs: GoogleTest with a
// per-test deadline.
#include <gtest/gtest.h>

#include <chrono>

#include "support/test_deadline.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // GoogleTest takes ownership of its listeners.
  ::testing::UnitTest::GetInstance()->listeners().Append(
      new quorvane::testing::TestDeadline(std::chrono::seconds(20)));
  return RUN_ALL_TESTS();
}
