#include "support/app_harness.h"

#include "engine/process_engine.h"

namespace quorvane::testing {

AppHarness::AppHarness()
    : AppHarness(FakeLoop::kStartTime, [this]() -> std::unique_ptr<Engine> {
        auto scripted = std::make_unique<ScriptedEngine>(fake.loop);
        engine = scripted.get();
        return scripted;
      }) {}

AppHarness::AppHarness(EngineProgram program)
    : AppHarness(program.startTime, [this, &program]() -> std::unique_ptr<Engine> {
        bundle.emplace(program.program);
        fake.system.bundle = bundle->directory();
        return std::make_unique<ProcessEngine>(fake.loop, bundle->engine(), program.stopGrace);
      }) {}

AppHarness::AppHarness(double startTime, const std::function<std::unique_ptr<Engine>()>& makeEngine)
    : fake(startTime) {
  fake.system.supportDirectory = dir / "data";
  fake.system.home = dir.path();
  fake.system.bundle = dir / "Quorvane.app";
  app = AppDelegate::create(fake.platform(), makeEngine());
  fake.ui.setDelegate(app);
}

AppHarness::~AppHarness() {
  // Commands still held would keep the application alive forever.
  if (app && engine) engine->finishHeld();
  fake.loop.runUntilIdle();
  // The application goes first: it stops its watch process while the loop is alive.
  app.reset();
}

void AppHarness::configure() {
  std::filesystem::create_directories(syncFolder());
  writeConfig(Json{{"folder", syncFolder().string()}}.dump());
}

void AppHarness::writeStatus(const std::string& state, const std::string& message) {
  writeFile(
      statusFile(),
      Json{{"state", state}, {"message", message}, {"updated_at", fake.loop.secondsSince1970()}}
          .dump());
}

}  // namespace quorvane::testing
