#include "support/app_harness.h"

#include <signal.h>

#include <cerrno>

namespace quorvane::testing {

AppHarness::AppHarness(std::chrono::milliseconds stopGrace)
    : AppHarness(QUORVANE_FAKE_ENGINE, FakeLoop::kStartTime, stopGrace) {}

AppHarness::AppHarness(const std::filesystem::path& realEngine)
    : AppHarness(realEngine,
                 std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                     .count(),
                 std::chrono::seconds(10)) {}

AppHarness::AppHarness(const std::filesystem::path& engine, double startTime,
                       std::chrono::milliseconds stopGrace)
    : bundle(engine), fake(startTime) {
  fake.system.supportDirectory = dir / "data";
  fake.system.home = dir.path();
  fake.system.bundle = bundle.directory();
  app = AppDelegate::create(fake.platform(), stopGrace);
  fake.ui.setDelegate(app);
}

AppHarness::~AppHarness() {
  // The application goes first: it stops its watch process while the loop is alive.
  app.reset();
}

void AppHarness::writeConfig(const std::string& content) {
  writeFile(support() / "client.json", content);
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

int AppHarness::workerPid() const {
  return app->worker() ? app->worker()->pid() : -1;
}

bool processExists(int pid) {
  return ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace quorvane::testing
