#pragma once

#include <QDBusConnection>
#include <memory>

#include "platform/application.h"
#include "platform/loop.h"
#include "platform/ui.h"

namespace quorvane {

class ModalGate;

// The Ui port on Qt Widgets. Every run* call closes the modal gate while it runs.
class QtUi : public Ui {
 public:
  // The status item is a StatusNotifierItem on `bus` when a host shows those there.
  QtUi(ModalGate& gate, Loop& loop, QDBusConnection bus = QDBusConnection::sessionBus());

  // The delegate menu choices and termination go to; not owned.
  void setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }

  std::unique_ptr<StatusItem> createStatusItem() override;
  AlertResult runAlert(const Alert& alert) override;
  PanelResult runOpenPanel(const OpenPanel& panel) override;
  PanelResult runSavePanel(const SavePanel& panel) override;
  void activate() override;
  void open(const std::filesystem::path& path) override;
  // Asks the delegate, then ends every running event loop, nested modal ones
  // included; later dialogs answer at once as if cancelled.
  void terminate() override;

  bool terminating() const { return terminating_; }
  // Terminated while a modal or the menu was up: the code that ran it resumed
  // afterwards and may have started something the quit had already stopped.
  bool terminatedInsideModal() const { return terminatedInsideModal_; }

 private:
  ModalGate& gate_;
  Loop& loop_;
  QDBusConnection bus_;
  ApplicationDelegate* delegate_ = nullptr;
  bool terminating_ = false;
  bool terminatedInsideModal_ = false;
};

}  // namespace quorvane
