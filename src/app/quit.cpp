#include "app/app_delegate.h"

namespace quorvane {

TerminateReply AppDelegate::applicationShouldTerminate() {
  stop();
  return TerminateReply::now;
}

void AppDelegate::quit() {
  platform_.ui.terminate();
}

void AppDelegate::alert(const std::string& title, const std::string& text) {
  platform_.ui.activate();
  platform_.ui.runAlert(Alert{title, text, {}, std::nullopt});
}

}  // namespace quorvane
