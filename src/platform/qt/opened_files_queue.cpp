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

void OpenedFilesQueue::add(const std::vector<std::filesystem::path>& paths) {
  if (closed_) return;
  held_.insert(held_.end(), paths.begin(), paths.end());
  flush();
}

void OpenedFilesQueue::launched() {
  launched_ = true;
  flush();
}

void OpenedFilesQueue::flush() {
  if (closed_ || !launched_ || !gate_.isOpen() || held_.empty()) return;
  const std::vector<std::filesystem::path> paths = std::move(held_);
  held_.clear();
  deliver_(paths);
}

}  // namespace quorvane
