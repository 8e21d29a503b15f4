#pragma once

// A platform for benchmarks: everything the core asks of it costs as little as
// possible and nothing is recorded, so a figure is the core's own cost.

#include <filesystem>
#include <memory>

#include "platform/platform.h"

namespace quorvane::bench {

class BenchLoop : public Loop {
 public:
  void post(std::function<void()> block) override { block(); }
  void after(Seconds, std::function<void()>) override {}
  std::unique_ptr<RepeatingTimer> repeat(Seconds, std::function<void()>) override;
  void background(std::function<void()> work) override { work(); }
  double secondsSince1970() const override { return now; }
  double now = 1'800'000'000.0;
};

class BenchUi : public Ui {
 public:
  std::unique_ptr<StatusItem> createStatusItem() override;
  AlertResult runAlert(const Alert&) override { return {}; }
  PanelResult runOpenPanel(const OpenPanel&) override { return {}; }
  PanelResult runSavePanel(const SavePanel&) override { return {}; }
  void activate() override {}
  void open(const std::filesystem::path&) override {}
  void terminate() override {}
};

class BenchSystem : public System {
 public:
  std::filesystem::path support;
  std::filesystem::path bundle;

  std::filesystem::path applicationSupportDirectory() const override { return support; }
  std::filesystem::path homeDirectory() const override { return support; }
  std::filesystem::path bundleDirectory() const override { return bundle; }
  std::string bundleIdentifier() const override { return "org.quorvane.Quorvane"; }
  std::vector<int> runningApplicationProcessIds(const std::string&) override { return {}; }
  LoginItemStatus loginItemStatus() const override { return LoginItemStatus::notRegistered; }
  std::optional<std::string> registerLoginItem() override { return std::nullopt; }
  std::optional<std::string> unregisterLoginItem() override { return std::nullopt; }
  std::optional<std::string> localizedHostName() const override { return "Bench"; }
  std::vector<std::string> arguments() const override { return {"quorvane-menubar"}; }
  int processIdentifier() const override { return 1; }
  void log(std::string_view) override {}
};

// A private folder, removed when destroyed.
class BenchFolder {
 public:
  BenchFolder();
  ~BenchFolder();
  BenchFolder(const BenchFolder&) = delete;
  BenchFolder& operator=(const BenchFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace quorvane::bench
