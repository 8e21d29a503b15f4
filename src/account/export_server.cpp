#include "account/account_flows.h"
#include "app/home_server.h"

namespace quorvane {

// The watch process keeps running: the export only reads the client configuration.
void exportServer(FlowContext& flow) {
  const SavePanel panel{
      "Export server connection",
      "This contains the server address and certificate, with no account credentials. Share it "
      "with users who need to sign in.",
      std::string(kHomeServerName) + ".quorvane-server", std::nullopt};
  flow.dialogs.activate();
  const PanelResult chosen = flow.dialogs.run(panel);
  if (chosen.response != kModalResponseOK || !chosen.url) return;
  flow.commands.run({"export-profile", "--config", flow.locations.config().string(), "--output",
                     chosen.url->string()},
                    std::nullopt, [&flow](std::int32_t status, const std::string& text) {
                      if (status != 0) flow.dialogs.alert("Could not export", text);
                    });
}

}  // namespace quorvane
