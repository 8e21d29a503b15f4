#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/history_versions.h"
#include "history/version_labels.h"
#include "platform/dialogs.h"

namespace quorvane {

struct VersionEntry {
  std::uint64_t revision = 0;
  std::string label;
  bool operator==(const VersionEntry&) const = default;
};

// The versions to offer, newest first: the history printed oldest first, so the
// last element comes first. Equal labels stay separate entries.
std::vector<VersionEntry> versionList(const std::vector<HistoryVersion>& history,
                                      const VersionLabels& labels);

// The restore dialog: one pop-up item per entry, in list order, the first selected.
Alert restoreDialog(const std::vector<VersionEntry>& versions);

// The position in the version list the person chose, when they pressed "Restore
// Version" with an item of the list selected; none otherwise.
std::optional<std::size_t> chosenVersion(const AlertResult& result, std::size_t count);

}  // namespace quorvane
