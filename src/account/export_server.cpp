#include "app/app_delegate.h"
#include "app/home_server.h"

namespace quorvane {

// The watch process keeps running: the export only reads the client configuration.
void AppDelegate::exportServer() {
  const SavePanel panel{
      "Export server connection",
      "This contains the server address and certificate, with no account credentials. Share it "
      "with users who need to sign in.",
      std::string(kHomeServerName) + ".quorvane-server", std::nullopt};
  platform_.ui.activate();
  const PanelResult chosen = platform_.ui.runSavePanel(panel);
  if (chosen.response != kModalResponseOK || !chosen.url) return;
  run({"export-profile", "--config", config().string(), "--output", chosen.url->string()},
      std::nullopt, [this](std::int32_t status, const std::string& text) {
        if (status != 0) alert("Could not export", text);
      });
}

}  // namespace quorvane
