#include <algorithm>

#include "app/app_delegate.h"
#include "app/client_config.h"
#include "onboarding/onboarding_flows.h"
#include "platform/posix/files.h"
#include "status/status_look.h"

namespace quorvane {
namespace {

constexpr Seconds kRefreshInterval{2.0};
constexpr Seconds kSetupDelay{0.5};

}  // namespace

void AppDelegate::applicationDidFinishLaunching() {
  System& system = platform_.system;

  // One instance per session: a second one leaves before it shows anything.
  const int self = system.processIdentifier();
  for (int pid : system.runningApplicationProcessIds(system.bundleIdentifier())) {
    if (pid != self) {
      platform_.ui.terminate();
      return;
    }
  }

  statusItem_ = platform_.ui.createStatusItem();
  if (statusItem_->hasButton()) statusItem_->setImage(kSymbolInProgress, "Quorvane");

  if (std::optional<std::string> content = files::readWhole(locations_.config())) {
    account_ = accountInConfig(*content);
  }

  showStatus("Quorvane");

  // Held weakly: the timer lives as long as the delegate and must not keep it alive.
  timer_ = platform_.loop.repeat(kRefreshInterval, [weak = weak_from_this()] {
    if (auto delegate = weak.lock()) delegate->refresh();
  });

  if (!files::exists(locations_.config())) {
    // A file opened meanwhile (on the command line, or handed over by a second
    // launch) has started its own flow; the chooser would only stand in its way.
    platform_.loop.after(kSetupDelay, [delegate = shared_from_this()] {
      if (!delegate->fileOpenedSinceLaunch_) setup(delegate->flows_, std::nullopt);
    });
    return;
  }

  const std::vector<std::string> arguments = system.arguments();
  if (arguments.size() > 1 &&
      std::find(arguments.begin() + 1, arguments.end(), "--enable-login") != arguments.end()) {
    if (std::optional<std::string> error = system.registerLoginItem()) {
      system.log("Start at Login could not be enabled: " + *error);
    }
  }

  start();
}

}  // namespace quorvane
