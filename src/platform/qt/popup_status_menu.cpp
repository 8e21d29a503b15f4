#include "platform/qt/popup_status_menu.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "platform/qt/modal_gate.h"
#include "platform/qt/status_menu.h"

namespace quorvane {

PopupStatusMenu::PopupStatusMenu(ModalGate& gate, std::function<void(MenuAction)> choose,
                                 std::function<void(QMenu*)> installed)
    : gate_(gate), choose_(std::move(choose)), installed_(std::move(installed)) {}

PopupStatusMenu::~PopupStatusMenu() {
  if (open_) gate_.leave();
}

void PopupStatusMenu::set(const Menu& menu) {
  auto built = buildStatusMenu(menu, choose_);
  if (open_) {
    // The open menu stays alive until it has closed; then the newest one replaces it.
    pending_ = std::move(built);
    return;
  }
  install(std::move(built));
}

void PopupStatusMenu::install(std::unique_ptr<QMenu> menu) {
  QMenu* raw = menu.get();
  QObject::connect(raw, &QMenu::aboutToShow, raw, [this] { shown(); });
  QObject::connect(raw, &QMenu::aboutToHide, raw, [this] { hidden(); });
  installed_(raw);
  menu_ = std::move(menu);
}

void PopupStatusMenu::shown() {
  if (open_) return;
  open_ = true;
  gate_.enter();
}

void PopupStatusMenu::hidden() {
  if (!open_) return;
  open_ = false;
  // Still inside the closing menu's own code: swap it from the event loop.
  QTimer::singleShot(0, &context_, [this] {
    if (pending_ && !open_) install(std::move(pending_));
  });
  gate_.leave();
}

void PopupStatusMenu::popUp(const QRect& anchor) {
  if (!menu_ || open_) return;
  if (!anchor.isValid()) {
    menu_->popup(QCursor::pos());
    return;
  }
  const QScreen* screen = QGuiApplication::screenAt(anchor.center());
  const bool lowerHalf = screen && anchor.center().y() > screen->geometry().center().y();
  if (lowerHalf) {
    menu_->popup(anchor.topLeft() - QPoint(0, menu_->sizeHint().height()));
  } else {
    menu_->popup(anchor.bottomLeft() + QPoint(0, 1));
  }
}

}  // namespace quorvane
