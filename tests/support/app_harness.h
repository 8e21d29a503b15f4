#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "app/app_delegate.h"
#include "common/json_document.h"
#include "support/fake_engine_bundle.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace quorvane::testing {

// One application over the fake platform: its support folder and sync folder in a
// private temporary folder, and the fake engine as its engine. The application is
// created but not launched.
class AppHarness {
 public:
  explicit AppHarness(std::chrono::milliseconds stopGrace = std::chrono::seconds(10));
  // With this real engine in the bundle instead, and the clock starting at the real
  // time, since such an engine stamps its status file with it.
  explicit AppHarness(const std::filesystem::path& realEngine);
  ~AppHarness();
  AppHarness(const AppHarness&) = delete;
  AppHarness& operator=(const AppHarness&) = delete;

  TempDir dir;
  FakeEngineBundle bundle;
  FakePlatform fake;
  std::shared_ptr<AppDelegate> app;

  std::filesystem::path support() const { return dir / "data" / "Quorvane"; }
  std::filesystem::path syncFolder() const { return dir / "Sync"; }
  std::filesystem::path statusFile() const { return syncFolder() / ".quorvane" / "status.json"; }

  void writeConfig(const std::string& content);
  // A configuration naming syncFolder(), which is created.
  void configure();
  // A status file written now by the clock of the fake loop, with these members.
  void writeStatus(const std::string& state, const std::string& message);
  void launch() { app->applicationDidFinishLaunching(); }
  // The watch process's pid, or -1 when none runs.
  int workerPid() const;

 private:
  AppHarness(const std::filesystem::path& engine, double startTime,
             std::chrono::milliseconds stopGrace);
};

// Whether a process with this pid still exists (a reaped child does not).
bool processExists(int pid);

}  // namespace quorvane::testing
