// FakePlatform fake;                                   // virtual clock, scripted person
// auto app = AppDelegate::create(fake.platform());
// fake.loop.advance(2.0); EXPECT_EQ(fake.ui.statusLines().back(), "Waiting to connect");

#pragma once

#include "platform/platform.h"
#include "support/fake_loop.h"
#include "support/fake_system.h"
#include "support/fake_ui.h"

namespace quorvane::testing {

// The whole port, faked: a loop with a virtual clock, a desktop with a scripted
// person, and a session whose facts the test sets.
struct FakePlatform {
  explicit FakePlatform(double startTime = FakeLoop::kStartTime) : loop(startTime) {}

  FakeLoop loop;
  FakeUi ui{loop};
  FakeSystem system;

  Platform platform() { return Platform{loop, ui, system}; }
};

}  // namespace quorvane::testing
