#include "app/app_delegate.h"

#include <utility>

#include "engine/process_engine.h"
#include "onboarding/onboarding_flows.h"

namespace quorvane {

std::shared_ptr<AppDelegate> AppDelegate::create(Platform platform,
                                                 std::unique_ptr<Engine> engine) {
  if (!engine) {
    engine = std::make_unique<ProcessEngine>(platform.loop, Locations(platform.system).engine());
  }
  // The constructor stays private so that every delegate is shared: the timer,
  // the commands, the sessions and the termination report need shared_from_this().
  struct Shared : AppDelegate {
    Shared(Platform platform, std::unique_ptr<Engine> engine)
        : AppDelegate(platform, std::move(engine)) {}
  };
  return std::make_shared<Shared>(platform, std::move(engine));
}

AppDelegate::AppDelegate(Platform platform, std::unique_ptr<Engine> engine)
    : platform_(platform), engine_(std::move(engine)) {}

// The watch process must not outlive the object that supervises it.
AppDelegate::~AppDelegate() {
  stop();
}

void AppDelegate::performMenuAction(MenuAction action) {
  // A menu a D-Bus host draws is clicked while a dialog is up, and may be a layout
  // older than the last rebuild: what the menu of now does not offer is refused,
  // and one flow at a time holds the person and the engine.
  if (action != MenuAction::quit && (busy() || dialogs_.shown())) return;
  if (const Command* command = offeredCommand(action, menuFacts(statusLine_, std::nullopt))) {
    command->run(*this);
  }
}

void AppDelegate::applicationOpen(const std::vector<std::filesystem::path>& paths) {
  if (paths.empty()) return;
  fileOpenedSinceLaunch_ = true;
  openFile(flows_, paths.front());
}

TerminateReply AppDelegate::applicationShouldTerminate() {
  // Code resumed from a dialog the quit ended must not start another watch.
  terminating_ = true;
  stop();
  return TerminateReply::now;
}

void AppDelegate::quit() {
  platform_.ui.terminate();
}

}  // namespace quorvane
