#pragma once

#include <QMenu>
#include <QRect>
#include <functional>
#include <memory>

#include "platform/menu.h"

namespace quorvane {

class ModalGate;

// The status menu as the front end's own pop-up. While it is open the modal gate
// is closed, as a Cocoa menu holds default-mode timers; a menu rebuilt meanwhile
// replaces it once it has closed.
class PopupStatusMenu {
 public:
  // `choose` gets the chosen action, from the menu's event handling; `installed`
  // each newly built menu once it is the one a click opens.
  PopupStatusMenu(ModalGate& gate, std::function<void(MenuAction)> choose,
                  std::function<void(QMenu*)> installed);
  ~PopupStatusMenu();
  PopupStatusMenu(const PopupStatusMenu&) = delete;
  PopupStatusMenu& operator=(const PopupStatusMenu&) = delete;

  void set(const Menu& menu);
  // The menu a click opens now (the open one while open).
  QMenu* menu() const { return menu_.get(); }
  // Below `anchor` in the upper half of its screen, above it in the lower half; at
  // the mouse pointer when `anchor` is not valid. Nothing while already open.
  void popUp(const QRect& anchor);

 private:
  void install(std::unique_ptr<QMenu> menu);
  void shown();
  void hidden();

  ModalGate& gate_;
  std::function<void(MenuAction)> choose_;
  std::function<void(QMenu*)> installed_;
  QObject context_;  // ends a pending swap with this object
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<QMenu> pending_;  // built while menu_ was open
  bool open_ = false;
};

}  // namespace quorvane
