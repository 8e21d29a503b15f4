// The sync folder's regular files as a pass sees them. Only "no such file" means
// absent: a file or folder that cannot be examined for any other reason (an I/O
// error, no permission, a path too long) is reported as such, so that a pass
// never takes it for deleted.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "files.h"
#include "local_base.h"

struct FolderScan {
  std::map<std::string, LocalFile> files;
  // Relative paths of what could not be examined, a folder's ending in '/', and
  // why: nothing below them is taken as added, changed or deleted.
  std::map<std::string, std::string> unexamined;
  // The sentence for a path that lies in what could not be examined, or null.
  const std::string* unexamined_at(const std::string& path) const;
};

// Regular files below folder, outside .quorvane; symbolic links, devices and
// empty folders are not synchronised. Fails when the folder itself cannot be read.
FolderScan scan_folder(const fs::path& folder);

// The regular file at path; none when nothing, or something else, is there.
// Throws a Failure naming it when it cannot be examined.
std::optional<LocalFile> stat_file(const fs::path& path);
LocalFile file_of(const struct stat& info);
