#pragma once

#include <filesystem>
#include <vector>

#include "platform/menu.h"

namespace quorvane {

enum class TerminateReply { cancel = 0, now = 1, later = 2 };

// What the platform tells the application. The adapter calls every member on the
// main thread.
class ApplicationDelegate {
 public:
  virtual ~ApplicationDelegate() = default;
  // Once, when the event loop has started.
  virtual void applicationDidFinishLaunching() = 0;
  // When the application is asked to quit (menu, signal, session end).
  virtual TerminateReply applicationShouldTerminate() = 0;
  // Files the person opened with the application, after launch has finished: one
  // call for each opening, never while a modal dialog or panel is up.
  virtual void applicationOpen(const std::vector<std::filesystem::path>& paths) = 0;
  // The person chose a command in the status menu. The choice may come from a menu
  // built before the latest one, and while a dialog is up (a menu a D-Bus host
  // draws): the application decides whether it still counts.
  virtual void performMenuAction(MenuAction action) = 0;
};

}  // namespace quorvane
