#pragma once

#include "platform/loop.h"
#include "platform/system.h"
#include "platform/ui.h"

namespace quorvane {

// The port the core is written against: the real desktop (qt/, linux/, posix/)
// or the fake in tests/support.
struct Platform {
  Loop& loop;
  Ui& ui;
  System& system;
};

}  // namespace quorvane
