#include "app/app_delegate.h"
#include "history/version_list.h"

namespace quorvane {

void AppDelegate::showHistory() {
  query("history", [this](std::int32_t status, const std::string& text) {
    const std::optional<std::vector<HistoryVersion>> history =
        status == 0 ? readHistory(text) : std::nullopt;
    if (!history) return endExclusiveFlow("Could not load history", text);
    const std::vector<VersionEntry> versions = versionList(*history, VersionLabels());
    if (versions.empty()) {
      return endExclusiveFlow("No file history yet",
                              "Versions will appear after the first upload.");
    }

    busy_ = true;
    platform_.ui.activate();
    const std::optional<std::size_t> chosen =
        chosenVersion(platform_.ui.runAlert(restoreDialog(versions)), versions.size());
    if (!chosen) return endExclusiveFlow();
    // The revision goes out as the digits the engine printed: plain decimal.
    run({"restore", "--config", config().string(), "--revision",
         std::to_string(versions[*chosen].revision)},
        std::nullopt, [this](std::int32_t status, const std::string& text) {
          endExclusiveFlow(status == 0 ? "Version restored" : "Could not restore", text);
        });
  });
}

}  // namespace quorvane
