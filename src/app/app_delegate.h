#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/command_table.h"
#include "app/dialogs.h"
#include "app/flow_context.h"
#include "app/locations.h"
#include "common/json_document.h"
#include "common/parsed_content.h"
#include "engine/engine.h"
#include "platform/application.h"
#include "platform/platform.h"

namespace quorvane {

// The one application object. It owns the state (the status item, the watch
// process, the refresh timer, paused, busy, the last account details) and keeps
// the watch running, the indicator and the menu current; the flows it hands a
// FlowContext do everything else. Every member runs on the main thread.
class AppDelegate : public ApplicationDelegate,
                    public EngineCommands,
                    public WatchControl,
                    public std::enable_shared_from_this<AppDelegate> {
 public:
  // `engine` is by default the bundle's engine program (ProcessEngine).
  static std::shared_ptr<AppDelegate> create(Platform platform,
                                             std::unique_ptr<Engine> engine = nullptr);
  ~AppDelegate() override;

  // Platform events (app/launch.cpp, app/app_delegate.cpp).
  void applicationDidFinishLaunching() override;
  TerminateReply applicationShouldTerminate() override;
  // One opening: its first file is signed in with or paired with.
  void applicationOpen(const std::vector<std::filesystem::path>& paths) override;
  // Carried out only when the menu as it would be built now has the command
  // enabled; while a dialog is up or the engine is busy, only quitting is.
  void performMenuAction(MenuAction action) override;
  void quit();

  // The watch process (app/watch.cpp).
  void start() override;
  void stop() override;
  void togglePause();

  // Short engine commands and exclusive sessions (app/engine_commands.cpp).
  bool busy() const override;
  void run(std::vector<std::string> arguments, std::optional<std::string> input,
           Completion completion) override;
  std::shared_ptr<EngineSession> exclusiveSession() override;

  // The indicator and the menu (app/refresh.cpp).
  void refresh();
  void rebuildMenu(const std::string& statusLine = "Quorvane");

  FlowContext& flows() { return flows_; }
  const Locations& locations() const { return locations_; }

  // State, read by tests.
  const WatchProcess* worker() const { return worker_.get(); }
  bool paused() const { return paused_; }
  const std::optional<Json>& account() const { return account_; }

 private:
  AppDelegate(Platform platform, std::unique_ptr<Engine> engine);
  void endSession() override;
  void terminationReport(std::uint64_t serial);
  // The status line the menu shows when no command runs, and a rebuild with it.
  void showStatus(const std::string& statusLine, std::optional<bool> hasFolder = std::nullopt);
  MenuFacts menuFacts(const std::string& statusLine, std::optional<bool> hasFolder) const;

  Platform platform_;
  std::unique_ptr<Engine> engine_;
  Locations locations_{platform_.system};
  Dialogs dialogs_{platform_.ui};
  std::unique_ptr<StatusItem> statusItem_;
  std::unique_ptr<WatchProcess> worker_;
  std::uint64_t workerSerial_ = 0;  // counts launches, so a late report is told apart
  std::unique_ptr<RepeatingTimer> timer_;
  bool paused_ = false;
  int commandsRunning_ = 0;
  bool sessionOpen_ = false;
  bool terminating_ = false;
  // Set by a file opened since launch: its flow replaces the delayed chooser.
  bool fileOpenedSinceLaunch_ = false;
  std::string statusLine_ = "Quorvane";
  std::optional<Json> account_;                // an object, when known
  ParsedContent<std::optional<Json>> status_;  // the last status file read, parsed
  FlowContext flows_{dialogs_, *this, *this, locations_, platform_.system, account_};
};

}  // namespace quorvane
