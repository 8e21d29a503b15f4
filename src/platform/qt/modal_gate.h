#pragma once

#include <QObject>

namespace quorvane {

// Counts what keeps the run loop out of its default mode: modal dialogs and panels,
// and the open status menu. Repeating timers hold their ticks while it is closed.
// Main thread only.
class ModalGate : public QObject {
  Q_OBJECT

 public:
  bool isOpen() const { return depth_ == 0; }
  void enter() { ++depth_; }
  void leave();

 signals:
  // The last modal or menu has closed.
  void opened();

 private:
  int depth_ = 0;
};

// Holds the gate closed for its lifetime.
class ModalScope {
 public:
  explicit ModalScope(ModalGate& gate) : gate_(gate) { gate_.enter(); }
  ~ModalScope() { gate_.leave(); }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  ModalGate& gate_;
};

}  // namespace quorvane
