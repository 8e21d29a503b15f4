#include "app/app_delegate.h"
#include "platform/posix/files.h"

namespace quorvane {

void AppDelegate::openFolder() {
  if (std::optional<std::filesystem::path> synced = folder()) platform_.ui.open(*synced);
}

void AppDelegate::openRecovery() {
  std::optional<std::filesystem::path> synced = folder();
  if (!synced) return;
  const std::filesystem::path recovered = *synced / ".quorvane" / "recovered";
  if (files::exists(recovered)) {
    platform_.ui.open(recovered);
    return;
  }
  alert("No recovered files yet",
        "Local files replaced or removed by sync are retained here. Each recovery folder "
        "contains the file and its original-path record.");
}

void AppDelegate::toggleLogin() {
  System& system = platform_.system;
  std::optional<std::string> error = system.loginItemStatus() == LoginItemStatus::enabled
                                         ? system.unregisterLoginItem()
                                         : system.registerLoginItem();
  if (error) {
    alert("Login setting could not be changed", *error);
    return;
  }
  refresh();
}

void AppDelegate::about() {
  alert("Quorvane 0.2",
        "Private folder sync on your local network.\n\n"
        "Files are checked every five seconds. Both versions of conflicting edits are "
        "preserved. Server history is retained until an explicit cleanup.\n\n"
        "Symlinks, empty folders, permissions and extended attributes are not "
        "synchronised.\n\n"
        "Log: " +
            syncLog().string());
}

}  // namespace quorvane
