#include "app/app_delegate.h"
#include "status/menu_model.h"

namespace quorvane {

void AppDelegate::rebuildMenu(const std::string& statusLine) {
  rebuildMenu(statusLine, folder().has_value());
}

void AppDelegate::rebuildMenu(const std::string& statusLine, bool hasFolder) {
  if (!statusItem_) return;
  statusItem_->setMenu(
      menuModel(MenuFacts{statusLine, hasFolder, busy_, paused_, account_ ? &*account_ : nullptr,
                          platform_.system.loginItemStatus()}));
}

}  // namespace quorvane
