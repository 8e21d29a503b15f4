#include "history/show_history.h"

#include "history/version_list.h"

namespace quorvane {

void showHistory(FlowContext& flow) {
  query(flow, "history",
        [&flow](EngineSession& session, std::int32_t status, const std::string& text) {
          const std::optional<std::vector<HistoryVersion>> history =
              status == 0 ? readHistory(text) : std::nullopt;
          if (!history) return flow.dialogs.alert("Could not load history", text);
          const std::vector<VersionEntry> versions = versionList(*history, VersionLabels());
          if (versions.empty()) {
            return flow.dialogs.alert("No file history yet",
                                      "Versions will appear after the first upload.");
          }

          flow.dialogs.activate();
          const std::optional<std::size_t> chosen =
              chosenVersion(flow.dialogs.run(restoreDialog(versions)), versions.size());
          if (!chosen) return;
          // The revision goes out as the digits the engine printed: plain decimal.
          session.run(
              {"restore", "--config", flow.locations.config().string(), "--revision",
               std::to_string(versions[*chosen].revision)},
              std::nullopt, [&flow](EngineSession&, std::int32_t status, const std::string& text) {
                flow.dialogs.alert(status == 0 ? "Version restored" : "Could not restore", text);
              });
        });
}

}  // namespace quorvane
