#include "status/simple_commands.h"

#include "platform/posix/files.h"

namespace quorvane {

void openFolder(FlowContext& flow) {
  if (std::optional<std::filesystem::path> synced = flow.locations.folder()) {
    flow.dialogs.open(*synced);
  }
}

void openRecovery(FlowContext& flow) {
  std::optional<std::filesystem::path> synced = flow.locations.folder();
  if (!synced) return;
  const std::filesystem::path recovered = *synced / ".quorvane" / "recovered";
  if (files::exists(recovered)) return flow.dialogs.open(recovered);
  flow.dialogs.alert("No recovered files yet",
                     "Local files replaced or removed by sync are retained here. Each recovery "
                     "folder contains the file and its original-path record.");
}

bool toggleLogin(FlowContext& flow) {
  System& system = flow.system;
  std::optional<std::string> error = system.loginItemStatus() == LoginItemStatus::enabled
                                         ? system.unregisterLoginItem()
                                         : system.registerLoginItem();
  if (error) flow.dialogs.alert("Login setting could not be changed", *error);
  return !error;
}

void about(FlowContext& flow) {
  flow.dialogs.alert("Quorvane 0.2",
                     "Private folder sync on your local network.\n\n"
                     "Files are checked every five seconds. Both versions of conflicting edits "
                     "are preserved. Server history is retained until an explicit cleanup.\n\n"
                     "Symlinks, empty folders, permissions and extended attributes are not "
                     "synchronised.\n\n"
                     "Log: " +
                         flow.locations.syncLog().string());
}

}  // namespace quorvane
