#include "platform/qt/opened_files_queue.h"

#include <QTimer>

#include "platform/qt/modal_gate.h"

namespace quorvane {

OpenedFilesQueue::OpenedFilesQueue(ModalGate& gate, Deliver deliver)
    : gate_(gate), deliver_(std::move(deliver)) {
  // From the loop, once the code that ran the modal has returned.
  QObject::connect(&gate_, &ModalGate::opened, &context_,
                   [this] { QTimer::singleShot(0, &context_, [this] { flush(); }); });
}

void OpenedFilesQueue::add(std::vector<std::filesystem::path> paths) {
  if (closed_ || paths.empty()) return;
  held_.push_back(std::move(paths));
  flush();
}

void OpenedFilesQueue::launched() {
  launched_ = true;
  flush();
}

void OpenedFilesQueue::flush() {
  while (!closed_ && launched_ && gate_.isOpen() && !held_.empty()) {
    const std::vector<std::filesystem::path> paths = std::move(held_.front());
    held_.pop_front();
    deliver_(paths);
  }
}

}  // namespace quorvane
