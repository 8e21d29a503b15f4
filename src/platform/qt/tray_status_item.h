#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui.h"

namespace quorvane {

class ModalGate;

// The status item as a tray icon. A click with either button opens the menu; while
// it is open the modal gate is closed, as a Cocoa menu holds default-mode timers.
class TrayStatusItem : public StatusItem {
 public:
  // `choose` is called, from the menu's event handling, with the chosen action.
  TrayStatusItem(ModalGate& gate, std::function<void(MenuAction)> choose);
  ~TrayStatusItem() override;

  bool hasButton() const override { return true; }
  void setImage(const std::string& symbolName, const std::string& accessibilityText) override;
  void setToolTip(const std::string& text) override;
  void setMenu(const Menu& menu) override;

  QSystemTrayIcon& trayIcon() { return tray_; }
  // The menu a click opens now (the open one while open).
  QMenu* menu() const { return menu_.get(); }
  void popUpMenu();

 private:
  void install(std::unique_ptr<QMenu> menu);
  void menuShown();
  void menuHidden();
  void updateToolTip();

  ModalGate& gate_;
  std::function<void(MenuAction)> choose_;
  QSystemTrayIcon tray_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QMenu> pending_;  // built while menu_ was open; shown from the next click
  bool menuOpen_ = false;
  std::optional<Menu> latest_;  // the model of menu_, or of pending_ when there is one
  std::string symbolName_;
  std::string accessibilityText_;
  std::string toolTip_;
};

}  // namespace quorvane
