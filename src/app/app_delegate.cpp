#include "app/app_delegate.h"

#include <utility>

namespace quorvane {

std::shared_ptr<AppDelegate> AppDelegate::create(Platform platform,
                                                 std::chrono::milliseconds stopGrace) {
  // The constructor stays private so that every delegate is shared: the timer,
  // the runner and the termination report need shared_from_this().
  struct Shared : AppDelegate {
    Shared(Platform platform, std::chrono::milliseconds stopGrace)
        : AppDelegate(platform, stopGrace) {}
  };
  return std::make_shared<Shared>(platform, stopGrace);
}

AppDelegate::AppDelegate(Platform platform, std::chrono::milliseconds stopGrace)
    : platform_(platform), stopGrace_(stopGrace) {}

// The watch process must not outlive the object that supervises it.
AppDelegate::~AppDelegate() {
  stop();
}

void AppDelegate::performMenuAction(MenuAction action) {
  switch (action) {
    case MenuAction::openFolder:
      openFolder();
      return;
    case MenuAction::togglePause:
      togglePause();
      return;
    case MenuAction::openRecovery:
      openRecovery();
      return;
    case MenuAction::toggleLogin:
      toggleLogin();
      return;
    case MenuAction::setupAction:
      setupAction();
      return;
    case MenuAction::about:
      about();
      return;
    case MenuAction::quit:
      quit();
      return;
    case MenuAction::showHistory:
      showHistory();
      return;
    case MenuAction::showAccount:
      showAccount();
      return;
    case MenuAction::signInAgain:
      signInAgain();
      return;
    case MenuAction::createUser:
      createUser();
      return;
    case MenuAction::exportServer:
      exportServer();
      return;
  }
}

}  // namespace quorvane
