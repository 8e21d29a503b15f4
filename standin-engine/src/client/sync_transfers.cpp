// A pass's transfers: uploads in batches (which digests the server lacks, one
// pack of those, one request that records the versions) and downloads as one
// pack per batch, each file put in place under a temporary name.
#include <sys/stat.h>
#include <unistd.h>

#include "local_folder.h"
#include "sync_pass.h"

mode_t arrival_mode(const std::optional<int64_t>& mode) {
  static const mode_t mask = [] {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
  }();
  return static_cast<mode_t>(mode.value_or(0666)) & 0777 & ~mask;
}

void SyncPass::batch(size_t files, const std::function<void()>& step) {
  try {
    step();
  } catch (const Unreachable&) {
    throw;
  } catch (const std::exception& failure) {
    log_line(failure.what());
    report_.failed += static_cast<int>(files);
    if (report_.first_failure.empty()) report_.first_failure = failure.what();
  }
  base_.commit();
}

void SyncPass::send_uploads() {
  if (uploads_.empty()) return;
  std::vector<Upload> uploads = std::move(uploads_);
  uploads_.clear();
  upload_bytes_ = 0;
  batch(uploads.size(), [&] {
    std::vector<std::string> digests;
    for (const auto& upload : uploads)
      if (upload.version.object && !upload.held) digests.push_back(*upload.version.object);
    std::set<std::string> lacking, sending;
    for (auto& digest : remote_.missing(digests)) lacking.insert(digest);
    std::vector<Outgoing> outgoing;
    for (const auto& upload : uploads) {
      const auto& object = upload.version.object;
      if (object && lacking.contains(*object) && sending.insert(*object).second)
        outgoing.push_back(
            {folder_ / upload.version.path, *object, static_cast<uint64_t>(upload.file.size)});
    }
    auto stored = outgoing.empty() ? std::set<std::string>() : remote_.upload(outgoing);
    // A file that changed while it was read or sent is not recorded as it was
    // hashed: the next pass reads it again.
    auto unchanged = [&](const Upload& upload) {
      try {
        return stat_file(folder_ / upload.version.path) == upload.file;
      } catch (const Failure&) {
        return false;
      }
    };
    std::vector<NewVersion> versions;
    std::vector<const Upload*> sent;
    for (const auto& upload : uploads) {
      const auto& object = upload.version.object;
      if (object &&
          ((sending.contains(*object) && !stored.contains(*object)) || !unchanged(upload)))
        continue;
      if (!upload.record) {
        log_line(upload.version.path + ": sent again, for Quorvane Home’s damaged copy.");
        ++report_.resent;
        continue;
      }
      versions.push_back(upload.version);
      sent.push_back(&upload);
    }
    if (versions.empty()) return;
    auto revisions = remote_.record(versions);
    for (size_t i = 0; i < sent.size(); ++i) {
      // Refused: another computer got there first; the next pass sees both changes.
      if (revisions[i] == 0) continue;
      const Upload& upload = *sent[i];
      const auto& [path, expected, object, size, mode] = upload.version;
      base_.stage(path, object ? std::optional(
                                     BaseEntry{revisions[i], *object, upload.file, upload.checked})
                               : std::nullopt);
      base_.stage_landmark({revisions[i], path, object});
      if (object) {
        ++report_.uploaded;
      } else {
        log_line(path + ": deleted here; the deletion is recorded on Quorvane Home.");
        ++report_.deleted_there;
      }
    }
  });
}

void SyncPass::fetch_downloads() {
  if (downloads_.empty()) return;
  std::vector<Download> downloads = std::move(downloads_);
  downloads_.clear();
  download_bytes_ = 0;
  batch(downloads.size(), [&] {
    std::map<std::string, std::unique_ptr<TempFile>> arrived;
    std::vector<std::string> digests;
    for (const auto& download : downloads)
      if (!arrived.contains(*download.version.object)) {
        arrived[*download.version.object] = nullptr;
        digests.push_back(*download.version.object);
      }
    fs::path temporaries = folder_ / ".quorvane" / "tmp";
    remote_.download(digests, [&](const PackEntry& entry, PackReader& pack) {
      if (!arrived.contains(entry.digest))
        throw Failure("Quorvane Home sent an object that was not asked for.");
      auto content = std::make_unique<TempFile>(temporaries, 0600);
      if (copy_entry(pack, *content) == entry.digest) arrived[entry.digest] = std::move(content);
    });
    // Damaged on the way out of the server's store, or lost there: the server
    // checks them and asks the computers that have them to send them again.
    std::vector<std::string> damaged;
    for (const auto& [object, content] : arrived)
      if (!content) damaged.push_back(object);
    try {
      if (!damaged.empty()) remote_.report_damaged(damaged);
    } catch (const Unreachable&) {
      throw;
    } catch (const std::exception& failure) {
      log_line(failure.what());
    }
    std::map<std::string, int> uses;
    for (const auto& download : downloads) ++uses[*download.version.object];
    for (const auto& download : downloads) {
      const std::string& object = *download.version.object;
      try {
        auto& content = arrived.at(object);
        if (!content)
          throw Failure(
              "Quorvane Home’s copy of this file is damaged; it arrives once a computer that "
              "has it sends it again.");
        if (--uses[object] == 0) {
          place(download, *content);
        } else {  // the same content at another path: a copy of its own
          TempFile copy(temporaries, 0600);
          fs::copy_file(content->path(), copy.path(), fs::copy_options::overwrite_existing);
          place(download, copy);
        }
      } catch (const std::exception& failure) {
        fail(download.path, failure.what());
      }
    }
    flush_file_system(folder_);
  });
}

void SyncPass::place(const Download& download, TempFile& content) {
  const std::string& path = download.path;
  if (!safe_destination(folder_, path))
    throw Failure("This path would lead outside the folder or through a symbolic link.");
  fs::path target = folder_ / path;
  fs::create_directories(target.parent_path());
  auto scanned = local_.files.contains(path) ? std::optional(local_.files.at(path)) : std::nullopt;
  if (stat_file(target) != scanned) return;  // changed since the scan: the next pass compares
  std::error_code error;
  if (!scanned && fs::exists(fs::symlink_status(target, error))) {
    // A folder, or a link, where the file goes: out of the way, never stuck.
    if (make_way(folder_, path)) {
      log_line(path + ": what was in the way of this file is kept in recovery.");
      ++report_.recovered;
    }
  } else if (scanned && download.keep_local) {
    keep_in_recovery(folder_, path);
    log_line(path + ": replaced; the copy here is kept in recovery.");
    ++report_.recovered;
  }
  // What arrived is recorded as it was before the rename: an edit right after it
  // is a change, and one within the same time stamp is caught by reading it again.
  struct stat arrival;
  if (::fchmod(content.fd(), arrival_mode(download.version.mode)) != 0 ||
      ::fstat(content.fd(), &arrival) != 0)
    fail_on("write", content.path());
  bool replacing = scanned && !download.keep_local;
  if (!content.publish(target, replacing ? Replace::existing : Replace::never))
    throw Failure("Something is in the way of this file.");
  base_.stage(path,
              BaseEntry{download.version.revision, *download.version.object, file_of(arrival), 0});
  ++report_.downloaded;
}
