#include "platform/qt/tray_status_item.h"

#include <QTextDocument>

#include "platform/qt/status_notifier_item.h"
#include "platform/qt/symbol_icons.h"

namespace quorvane {

TrayStatusItem::TrayStatusItem(ModalGate& gate, std::function<void(MenuAction)> choose,
                               QDBusConnection bus)
    : choose_(choose), popup_(gate, std::move(choose), [this](QMenu* menu) {
        if (tray_) tray_->setContextMenu(menu);
      }) {
  if (!bus.isConnected()) {
    useTrayIcon();
    return;
  }
  hostWatch_ = std::make_unique<StatusNotifierHostWatch>(bus);
  if (hostWatch_->hostRegistered() && useStatusNotifier(bus)) return;
  useTrayIcon();
  // A host that appears later (a panel started after the front end) takes over.
  QObject::connect(hostWatch_.get(), &StatusNotifierHostWatch::changed, hostWatch_.get(),
                   [this, bus] {
                     if (!notifier_ && hostWatch_->hostRegistered()) useStatusNotifier(bus);
                   });
}

TrayStatusItem::~TrayStatusItem() {
  if (tray_) tray_->setContextMenu(nullptr);
}

void TrayStatusItem::useTrayIcon() {
  // Created only when needed: while a StatusNotifierItem host runs, Qt would make
  // a QSystemTrayIcon one of its own, whose menu labels lose their underscores.
  tray_ = std::make_unique<QSystemTrayIcon>();
  tray_->setContextMenu(popup_.menu());
  // Qt opens the context menu on a right click itself; a left click (Trigger)
  // opens it here, as the one button of a menu-bar item does.
  QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     if (reason == QSystemTrayIcon::Trigger) popUpMenu();
                   });
}

bool TrayStatusItem::useStatusNotifier(QDBusConnection bus) {
  auto notifier = std::make_unique<StatusNotifierItem>(bus, choose_);
  if (!notifier->exported()) return false;
  QObject::connect(notifier.get(), &StatusNotifierItem::clicked, notifier.get(), [this](QPoint at) {
    popup_.popUp(at.isNull() ? QRect() : QRect(at, QSize(1, 1)));
  });
  notifier_ = std::move(notifier);
  if (latest_) notifier_->setMenu(*latest_);
  if (tray_) {
    tray_->setContextMenu(nullptr);
    tray_.reset();
  }
  if (!symbolName_.empty()) showImage();
  updateToolTip();
  return true;
}

void TrayStatusItem::setImage(const std::string& symbolName, const std::string& accessibilityText) {
  // The refresh tick sets the same image every two seconds; redraw only a new one.
  const bool changed = symbolName != symbolName_;
  symbolName_ = symbolName;
  accessibilityText_ = accessibilityText;
  if (changed || (tray_ && tray_->icon().isNull())) showImage();
  updateToolTip();
  // Shown once it has an image: an icon-less tray entry would be an empty slot.
  if (tray_ && !tray_->isVisible()) tray_->show();
}

void TrayStatusItem::showImage() {
  const QIcon icon = symbolIcon(symbolName_);
  if (notifier_) notifier_->setIcon(icon);
  if (tray_) tray_->setIcon(icon);
}

void TrayStatusItem::setToolTip(const std::string& text) {
  toolTip_ = text;
  updateToolTip();
}

void TrayStatusItem::updateToolTip() {
  // A tray icon has no accessible name of its own; its tooltip is what screen
  // readers announce, so the accessibility text stands in until a tooltip is set.
  const QString text = QString::fromStdString(toolTip_.empty() ? accessibilityText_ : toolTip_);
  if (notifier_) notifier_->setToolTip(text);
  // Qt takes a tooltip that looks like markup for rich text; as markup that
  // stands for the plain text, "<b>" reads as "<b>".
  if (tray_) tray_->setToolTip(text.isEmpty() ? text : Qt::convertFromPlainText(text));
}

void TrayStatusItem::setMenu(const Menu& menu) {
  // Rebuilt on every tick; an unchanged model keeps the menu the tray already has
  // (and spares a StatusNotifierItem host from fetching it again).
  if (latest_ == menu) return;
  latest_ = menu;
  popup_.set(menu);
  if (notifier_) notifier_->setMenu(menu);
}

void TrayStatusItem::popUpMenu() {
  popup_.popUp(tray_ ? tray_->geometry() : QRect());
}

}  // namespace quorvane
