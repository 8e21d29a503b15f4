#include "history/version_list.h"
#include "common/machine_word.h"

namespace quorvane {

std::vector<VersionEntry> versionList(const std::vector<HistoryVersion>& history,
                                      const VersionLabels& labels) {
  std::vector<VersionEntry> entries;
  entries.reserve(history.size());
  for (auto version = history.rbegin(); version != history.rend(); ++version) {
    entries.push_back({version->revision, labels.label(*version)});
  }
  return entries;
}

Alert restoreDialog(const std::vector<VersionEntry>& versions) {
  AlertField popUp;
  popUp.kind = AlertField::Kind::popUp;
  popUp.frame = {0, 0, 600, 28};
  popUp.items.reserve(versions.size());
  for (const VersionEntry& version : versions) popUp.items.push_back(version.label);
  popUp.selected = 0;
  return {"Restore a file version",
          std::string("The selected version will become the server’s current copy and sync to all "
                      "paired ") +
              kMachine.plural + ". Other versions remain in history.",
          {"Restore Version", "Cancel"},
          AlertAccessory{600, 28, {std::move(popUp)}, std::nullopt}};
}

std::optional<std::size_t> chosenVersion(const AlertResult& result, std::size_t count) {
  if (result.response != kAlertFirstButtonReturn || result.fields.empty()) return std::nullopt;
  const int selected = result.fields.front().selected;
  if (selected < 0 || static_cast<std::size_t>(selected) >= count) return std::nullopt;
  return static_cast<std::size_t>(selected);
}

}  // namespace quorvane
