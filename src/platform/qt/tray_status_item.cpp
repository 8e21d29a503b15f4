#include "platform/qt/tray_status_item.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "platform/qt/modal_gate.h"
#include "platform/qt/status_menu.h"
#include "platform/qt/symbol_icons.h"

namespace quorvane {

TrayStatusItem::TrayStatusItem(ModalGate& gate, std::function<void(MenuAction)> choose)
    : gate_(gate), choose_(std::move(choose)) {
  // Qt opens the context menu on a right click itself; a left click (Trigger)
  // opens it here, as the one button of a menu-bar item does.
  QObject::connect(&tray_, &QSystemTrayIcon::activated, &tray_,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger) popUpMenu();
                   });
}

TrayStatusItem::~TrayStatusItem() {
  if (menuOpen_) gate_.leave();
  tray_.setContextMenu(nullptr);
}

void TrayStatusItem::setImage(const std::string& symbolName, const std::string& accessibilityText) {
  // The refresh tick sets the same image every two seconds; redraw only a new one.
  if (symbolName != symbolName_ || tray_.icon().isNull()) {
    tray_.setIcon(symbolIcon(symbolName));
    symbolName_ = symbolName;
  }
  accessibilityText_ = accessibilityText;
  updateToolTip();
  // Shown once it has an image: an icon-less tray entry would be an empty slot.
  if (!tray_.isVisible()) tray_.show();
}

void TrayStatusItem::setToolTip(const std::string& text) {
  toolTip_ = text;
  updateToolTip();
}

void TrayStatusItem::updateToolTip() {
  // A tray icon has no accessible name of its own; its tooltip is what screen
  // readers announce, so the accessibility text stands in until a tooltip is set.
  const std::string& text = toolTip_.empty() ? accessibilityText_ : toolTip_;
  tray_.setToolTip(QString::fromStdString(text));
}

void TrayStatusItem::setMenu(const Menu& menu) {
  // Rebuilt on every tick; an unchanged model keeps the menu the tray already has
  // (and, with a StatusNotifierItem host, spares re-exporting it over D-Bus).
  if (latest_ == menu) return;
  latest_ = menu;
  auto built = buildStatusMenu(menu, choose_);
  if (menuOpen_) {
    // The open menu stays alive until it has closed; then the newest one replaces it.
    pending_ = std::move(built);
    return;
  }
  install(std::move(built));
}

void TrayStatusItem::install(std::unique_ptr<QMenu> menu) {
  QMenu* raw = menu.get();
  QObject::connect(raw, &QMenu::aboutToShow, raw, [this] { menuShown(); });
  QObject::connect(raw, &QMenu::aboutToHide, raw, [this] { menuHidden(); });
  tray_.setContextMenu(raw);
  menu_ = std::move(menu);
}

void TrayStatusItem::menuShown() {
  if (menuOpen_) return;
  menuOpen_ = true;
  gate_.enter();
}

void TrayStatusItem::menuHidden() {
  if (!menuOpen_) return;
  menuOpen_ = false;
  // Still inside the closing menu's own code: swap it from the event loop.
  QTimer::singleShot(0, &tray_, [this] {
    if (pending_ && !menuOpen_) install(std::move(pending_));
  });
  gate_.leave();
}

void TrayStatusItem::popUpMenu() {
  if (!menu_ || menuOpen_) return;
  const QRect icon = tray_.geometry();
  if (!icon.isValid()) {
    menu_->popup(QCursor::pos());
    return;
  }
  // Below an icon in a top panel, above one in a bottom panel.
  const QScreen* screen = QGuiApplication::screenAt(icon.center());
  const bool bottomPanel = screen && icon.center().y() > screen->geometry().center().y();
  if (bottomPanel) {
    menu_->popup(icon.topLeft() - QPoint(0, menu_->sizeHint().height()));
  } else {
    menu_->popup(icon.bottomLeft() + QPoint(0, 1));
  }
}

}  // namespace quorvane
