#pragma once

#include <memory>

#include "app/app_delegate.h"
#include "bench_platform.h"

namespace quorvane::bench {

// One launched application over the bench platform, configured with a sync folder
// whose status file is typical, its watch process the idle engine.
struct BenchApp {
  BenchApp();
  ~BenchApp();

  BenchFolder folder;
  BenchLoop loop;
  BenchUi ui;
  BenchSystem system;
  std::shared_ptr<AppDelegate> app;

  std::filesystem::path statusFile() const;
};

}  // namespace quorvane::bench
