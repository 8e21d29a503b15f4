#include "bench_app.h"

#include <fstream>

namespace quorvane::bench {
namespace {

void write(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

}  // namespace

BenchApp::BenchApp() {
  system.support = folder.path() / "data";
  system.bundle = folder.path() / "Quorvane.app";
  const auto engine = system.bundle / "Contents" / "MacOS" / "quorvane";
  std::filesystem::create_directories(engine.parent_path());
  std::filesystem::create_symlink(QUORVANE_IDLE_ENGINE, engine);

  const auto synced = folder.path() / "Sync";
  write(system.support / "Quorvane" / "client.json",
        Json{{"folder", synced.string()},
             {"invitation", {{"account", {{"username", "ana"}, {"admin", true}}}}}}
            .dump());
  write(statusFile(), Json{{"state", "synced"},
                           {"message", "Up to date — 1,204 files in Shared"},
                           {"updated_at", loop.now - 3}}
                          .dump());

  app = AppDelegate::create(Platform{loop, ui, system});
  app->applicationDidFinishLaunching();
}

BenchApp::~BenchApp() {
  app.reset();  // stops the watch
}

std::filesystem::path BenchApp::statusFile() const {
  return folder.path() / "Sync" / ".quorvane" / "status.json";
}

}  // namespace quorvane::bench
