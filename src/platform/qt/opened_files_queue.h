#pragma once

#include <QObject>
#include <deque>
#include <filesystem>
#include <functional>
#include <vector>

namespace quorvane {

class ModalGate;

// Holds files opened with the application until launch has finished and no
// modal dialog or menu is up, as a Cocoa application receives them from its main
// loop. Each opening (a launch's command line, a later launch's hand-off) stays
// its own list and is handed over in its own call, in arrival order, each only
// while nothing modal is up.
class OpenedFilesQueue {
 public:
  using Deliver = std::function<void(const std::vector<std::filesystem::path>&)>;
  OpenedFilesQueue(ModalGate& gate, Deliver deliver);

  void add(std::vector<std::filesystem::path> paths);
  // Launch has finished: what is held goes out now, if nothing modal is up.
  void launched();
  // Quitting: nothing more is handed over.
  void close() { closed_ = true; }

 private:
  void flush();

  ModalGate& gate_;
  Deliver deliver_;
  QObject context_;  // ends the gate connection with the queue
  std::deque<std::vector<std::filesystem::path>> held_;
  bool launched_ = false;
  bool closed_ = false;
};

}  // namespace quorvane
