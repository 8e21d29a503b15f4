#pragma once

#include <filesystem>
#include <string>

#include "platform/ui.h"

namespace quorvane {

// What the flows show the person: alerts and panels, run modally by the platform,
// and folders and files opened in the desktop's applications. It counts the
// dialogs up now, for a menu drawn over D-Bus is clicked without regard to them.
class Dialogs {
 public:
  explicit Dialogs(Ui& ui) : ui_(ui) {}
  Dialogs(const Dialogs&) = delete;
  Dialogs& operator=(const Dialogs&) = delete;

  // Brings the application's windows to the front, ignoring other applications.
  void activate() { ui_.activate(); }
  AlertResult run(const Alert& alert);
  PanelResult run(const OpenPanel& panel);
  PanelResult run(const SavePanel& panel);
  // alert(_:_:): to the front, then a title and a text with the platform's one
  // button; returns once the person has dismissed it.
  void alert(const std::string& title, const std::string& text);
  // Opens a folder in the file manager or a file in its application.
  void open(const std::filesystem::path& path) { ui_.open(path); }

  // Whether one of these dialogs is up.
  bool shown() const { return up_ > 0; }

 private:
  template <typename Dialog, typename Show>
  auto counted(const Dialog& dialog, Show show);

  Ui& ui_;
  int up_ = 0;
};

}  // namespace quorvane
