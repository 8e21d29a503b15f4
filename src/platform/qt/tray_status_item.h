#pragma once

#include <QDBusConnection>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/qt/popup_status_menu.h"
#include "platform/ui.h"

namespace quorvane {

class ModalGate;
class StatusNotifierHostWatch;
class StatusNotifierItem;

// The status item in the panel. Where the session shows StatusNotifierItems (a
// watcher with a host on `bus`), it is one, with its menu over D-Bus; otherwise,
// until such a host appears, an XEmbed tray icon. Either way a click with the
// left or right button opens the menu.
class TrayStatusItem : public StatusItem {
 public:
  // `choose` is called, from the menu's event handling, with the chosen action.
  TrayStatusItem(ModalGate& gate, std::function<void(MenuAction)> choose, QDBusConnection bus);
  ~TrayStatusItem() override;

  bool hasButton() const override { return true; }
  void setImage(const std::string& symbolName, const std::string& accessibilityText) override;
  void setToolTip(const std::string& text) override;
  void setMenu(const Menu& menu) override;

  // The XEmbed icon while that is in use, else null.
  QSystemTrayIcon* trayIcon() const { return tray_.get(); }
  // The StatusNotifierItem once that is in use, else null.
  StatusNotifierItem* statusNotifier() const { return notifier_.get(); }
  // The front end's own pop-up menu (the open one while open).
  QMenu* menu() const { return popup_.menu(); }
  // Opens that menu beside the XEmbed icon, or at the pointer.
  void popUpMenu();

 private:
  void useTrayIcon();
  // False when the bus refused the item; the tray icon then stays.
  bool useStatusNotifier(QDBusConnection bus);
  void showImage();
  void updateToolTip();

  std::function<void(MenuAction)> choose_;
  PopupStatusMenu popup_;
  std::unique_ptr<StatusNotifierHostWatch> hostWatch_;
  std::unique_ptr<StatusNotifierItem> notifier_;
  std::unique_ptr<QSystemTrayIcon> tray_;
  std::optional<Menu> latest_;  // the model last set
  std::string symbolName_;
  std::string accessibilityText_;
  std::string toolTip_;
};

}  // namespace quorvane
