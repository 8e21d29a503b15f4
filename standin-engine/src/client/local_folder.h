// The sync folder as the engine sees it: regular files by relative path, the
// recovery folder, the status file, and conflict copies.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "files.h"
#include "local_base.h"

// Regular files below folder, outside .quorvane; symbolic links, devices and
// empty folders are not synchronised. Fails rather than leave out a folder it
// cannot read, which would look like deleted files.
std::map<std::string, LocalFile> scan_folder(const fs::path& folder);
std::optional<LocalFile> stat_file(const fs::path& path);

// A path from the catalogue that stays inside the folder, outside .quorvane, and
// reaches it through real folders only, never through a symbolic link.
bool safe_destination(const fs::path& folder, const std::string& path);

// Moves the file at folder/path into a folder of its own under
// .quorvane/recovered, beside a record of where it was.
void keep_in_recovery(const fs::path& folder, const std::string& path);

// Renames folder/path to "name (conflict DEVICE DATE).ext" beside it.
void set_aside_as_conflict(const fs::path& folder, const std::string& path,
                           const std::string& device);

void write_status(const fs::path& folder, const std::string& state, const std::string& message);
