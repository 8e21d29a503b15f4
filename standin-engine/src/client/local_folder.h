// What a pass does to the sync folder besides placing files: recovery, conflict
// copies, clearing the way for a file, and the status file. Names it makes are
// shortened to fit the file system (the extension kept), never refused.
#pragma once

#include <string>

#include "files.h"

// A path from the catalogue that stays inside the folder, outside .quorvane, and
// reaches it through real folders only, never through a symbolic link.
bool safe_destination(const fs::path& folder, const std::string& path);

// Moves what is at folder/path (a file, or a folder with all it holds) into a
// folder of its own under .quorvane/recovered, beside a record of where it was.
void keep_in_recovery(const fs::path& folder, const std::string& path);

// Renames folder/path to "name (conflict DEVICE DATE).ext" beside it.
void set_aside_as_conflict(const fs::path& folder, const std::string& path,
                           const std::string& device);

// Clears folder/path, where something that is not a regular file is, for a file
// to arrive: folders holding nothing but empty folders are removed, anything
// else is kept in recovery. True when something was kept.
bool make_way(const fs::path& folder, const std::string& path);

// Only the owner's: the folder itself is the person's to share or not.
void write_status(const fs::path& folder, const std::string& state, const std::string& message);
