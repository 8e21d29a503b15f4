#include "app/app_delegate.h"
#include "status/menu_model.h"

namespace quorvane {

void AppDelegate::rebuildMenu(const std::string& statusLine) {
  if (!statusItem_) return;
  const std::optional<Json>& account = account_;
  statusItem_->setMenu(
      menuModel(MenuFacts{statusLine, folder().has_value(), busy_, paused_,
                          account ? &*account : nullptr, platform_.system.loginItemStatus()}));
}

}  // namespace quorvane
