#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "platform/dialogs.h"
#include "platform/menu.h"

namespace quorvane {

// The one icon in the panel. Main thread only.
class StatusItem {
 public:
  virtual ~StatusItem() = default;
  // False when the platform could not give the item a visible button; image and
  // tooltip are then not set.
  virtual bool hasButton() const = 0;
  // `symbolName` is one of the system-symbol names the core uses; an unknown name
  // leaves the item without an image. `accessibilityText` is read by screen readers.
  virtual void setImage(const std::string& symbolName, const std::string& accessibilityText) = 0;
  virtual void setToolTip(const std::string& text) = 0;
  // Replaces the whole menu. Safe while the menu is open: the person sees the new
  // menu the next time it opens.
  virtual void setMenu(const Menu& menu) = 0;
};

// Windows and the desktop. Main thread only. The run* calls are modal: they return
// when the person has answered; main-queue posts and delayed blocks keep running
// meanwhile, repeating timers do not (see Loop::repeat).
class Ui {
 public:
  virtual ~Ui() = default;
  virtual std::unique_ptr<StatusItem> createStatusItem() = 0;
  virtual AlertResult runAlert(const Alert& alert) = 0;
  virtual PanelResult runOpenPanel(const OpenPanel& panel) = 0;
  virtual PanelResult runSavePanel(const SavePanel& panel) = 0;
  // Brings the application's windows to the front, ignoring other applications.
  virtual void activate() = 0;
  // Opens a folder in the file manager or a file in its application; failures are
  // ignored.
  virtual void open(const std::filesystem::path& path) = 0;
  // Asks the application to quit: the adapter calls
  // ApplicationDelegate::applicationShouldTerminate and then ends the event loop
  // once control returns to it.
  virtual void terminate() = 0;
};

}  // namespace quorvane
