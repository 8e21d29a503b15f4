#include "app/app_delegate.h"

namespace quorvane {

void AppDelegate::query(const std::string& command, Completion completion) {
  stop();
  run({command, "--config", config().string()}, std::nullopt, std::move(completion));
}

void AppDelegate::endExclusiveFlow() {
  busy_ = false;
  start();
}

void AppDelegate::endExclusiveFlow(const std::string& title, const std::string& text) {
  alert(title, text);
  endExclusiveFlow();
}

}  // namespace quorvane
