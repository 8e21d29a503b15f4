#include "platform/qt/qt_ui.h"

#include <QApplication>
#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

#include "platform/qt/alert_dialog.h"
#include "platform/qt/file_panels.h"
#include "platform/qt/modal_gate.h"
#include "platform/qt/tray_status_item.h"

namespace quorvane {

QtUi::QtUi(ModalGate& gate, Loop& loop, QDBusConnection bus)
    : gate_(gate), loop_(loop), bus_(std::move(bus)) {}

std::unique_ptr<StatusItem> QtUi::createStatusItem() {
  return std::make_unique<TrayStatusItem>(
      gate_,
      [this](MenuAction action) {
        // Posted, so the command runs once the menu has closed and its event
        // handling has returned: a command may open a modal dialog.
        loop_.post([this, action] {
          if (delegate_ && !terminating_) delegate_->performMenuAction(action);
        });
      },
      bus_);
}

AlertResult QtUi::runAlert(const Alert& alert) {
  AlertDialog dialog(alert);
  if (terminating_) return dialog.answer();
  ModalScope modal(gate_);
  dialog.exec();
  return dialog.answer();
}

PanelResult QtUi::runOpenPanel(const OpenPanel& panel) {
  if (terminating_) return {};
  ModalScope modal(gate_);
  return runOpenPanelDialog(panel);
}

PanelResult QtUi::runSavePanel(const SavePanel& panel) {
  if (terminating_) return {};
  ModalScope modal(gate_);
  return runSavePanelDialog(panel);
}

void QtUi::activate() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible()) continue;
    window->raise();
    window->activateWindow();
  }
}

void QtUi::open(const std::filesystem::path& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path.string())));
}

void QtUi::terminate() {
  if (terminating_) return;
  // A second request while the delegate is stopping things is the same request.
  terminating_ = true;
  if (delegate_ && delegate_->applicationShouldTerminate() == TerminateReply::cancel) {
    terminating_ = false;
    return;
  }
  terminatedInsideModal_ = !gate_.isOpen();
  QCoreApplication::exit(0);
}

}  // namespace quorvane
