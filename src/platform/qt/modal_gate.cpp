#include "platform/qt/modal_gate.h"

namespace quorvane {

void ModalGate::leave() {
  if (depth_ == 0) return;
  if (--depth_ == 0) emit opened();
}

}  // namespace quorvane
