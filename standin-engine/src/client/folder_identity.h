// The mark that ties a sync folder to this computer's configuration: a random id
// in .quorvane/folder-id and in the client configuration, written at sign-in and
// pairing and looked for before every pass, so that an empty mount point (a disk
// unplugged) or another folder at the same path is never synced as the folder.
// .quorvane and all it holds are the owner's only.
#pragma once

#include <optional>
#include <string>

#include "cli.h"
#include "files.h"

inline constexpr const char* meta_folder = ".quorvane";

// The sync folder is not the one this computer agreed with, or not there.
struct FolderMissing : Failure {
  using Failure::Failure;
};

// Creates .quorvane if need be, and writes the mark: `id`, or a new one. Returns it.
std::string mark_folder(const fs::path& folder, const std::string& id = "");
// The folder's mark; none when there is none.
std::optional<std::string> folder_mark(const fs::path& folder);
// Throws FolderMissing unless folder carries the mark `id`.
void check_folder_mark(const fs::path& folder, const std::string& id);
[[noreturn]] void folder_missing(const fs::path& folder);
// Created with mode 0700, or made so.
void make_private_folder(const fs::path& path);
