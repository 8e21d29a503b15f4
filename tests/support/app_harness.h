#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/app_delegate.h"
#include "common/json_document.h"
#include "support/fake_engine_bundle.h"
#include "support/fake_loop.h"
#include "support/fake_system.h"
#include "support/fake_ui.h"
#include "support/scripted_engine.h"
#include "support/temp_dir.h"

namespace quorvane::testing {

// The whole port, faked: a loop with a virtual clock, a desktop with a scripted
// person, and a session whose facts the test sets.
struct FakePlatform {
  explicit FakePlatform(double startTime) : loop(startTime) {}
  FakeLoop loop;
  FakeUi ui{loop};
  FakeSystem system;
  Platform platform() { return Platform{loop, ui, system}; }
};

// The engine as child processes: a program in the bundle (the fake engine unless
// named), stopped with this grace, and a clock starting at this time.
struct EngineProgram {
  std::filesystem::path program = QUORVANE_FAKE_ENGINE;
  std::chrono::milliseconds stopGrace = std::chrono::seconds(10);
  double startTime = FakeLoop::kStartTime;
};

// One application over the fake platform, its support folder and sync folder in a
// private temporary folder. The application is created but not launched.
class AppHarness {
 public:
  // With the engine in process (engine).
  AppHarness();
  // With an engine program (bundle).
  explicit AppHarness(EngineProgram program);
  ~AppHarness();
  AppHarness(const AppHarness&) = delete;
  AppHarness& operator=(const AppHarness&) = delete;

  TempDir dir;
  std::optional<FakeEngineBundle> bundle;
  FakePlatform fake;
  ScriptedEngine* engine = nullptr;  // owned by the application
  std::shared_ptr<AppDelegate> app;

  std::filesystem::path syncFolder() const { return dir / "Sync"; }
  std::filesystem::path statusFile() const { return syncFolder() / ".quorvane" / "status.json"; }
  std::filesystem::path config() const { return dir / "data" / "Quorvane" / "client.json"; }
  FlowContext& flows() { return app->flows(); }

  void writeConfig(const std::string& content) { writeFile(config(), content); }
  // A configuration naming syncFolder(), which is created.
  void configure();
  // A status file written now by the clock of the fake loop, with these members.
  void writeStatus(const std::string& state, const std::string& message);
  void launch() { app->applicationDidFinishLaunching(); }
  // The watch process's pid, or -1 when none runs.
  int workerPid() const { return app->worker() ? app->worker()->pid() : -1; }

 private:
  AppHarness(double startTime, const std::function<std::unique_ptr<Engine>()>& makeEngine);
};

}  // namespace quorvane::testing
