#include "sync_pass.h"

#include <fcntl.h>
#include <unistd.h>

#include <set>

#include "cli.h"
#include "digest.h"
#include "local_folder.h"

namespace {

constexpr size_t batch_files = 5000;
constexpr uint64_t batch_bytes = 64 << 20;

template <typename Map>
const typename Map::mapped_type* find(const Map& map, const std::string& key) {
  auto found = map.find(key);
  return found == map.end() ? nullptr : &found->second;
}

std::optional<LocalFile> optional_of(const LocalFile* file) {
  return file ? std::optional(*file) : std::nullopt;
}

std::string digest_of_file(const fs::path& file) {
  // O_NONBLOCK: should a pipe have taken the file's place, opening it must not wait.
  Descriptor fd = open_file(file, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
  static std::vector<char> chunk(1 << 20);
  Sha256 hasher;
  for (;;) {
    throw_if_stopped();
    ssize_t got = ::read(fd.get(), chunk.data(), chunk.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail_on("read", file);
    if (got == 0) return hasher.finish();
    hasher.update({chunk.data(), static_cast<size_t>(got)});
    beat_while_copying();
  }
}

// Names travel as JSON, which carries UTF-8 only.
bool valid_utf8(const std::string& text) {
  try {
    (void)nlohmann::json(text).dump();
    return true;
  } catch (const nlohmann::json::type_error&) {
    return false;
  }
}

}  // namespace

SyncPass::SyncPass(Remote& remote, const Credentials& device, const fs::path& folder,
                   LocalBase& base)
    : remote_(remote), device_(device), folder_(folder), base_(base) {}

PassReport SyncPass::run(const std::function<void(size_t)>& on_changes) {
  base_.hear(remote_.changes(base_.heard_up_to()));
  remote_versions_ = base_.load_remote();
  agreed_ = base_.load();
  local_ = scan_folder(folder_);
  std::vector<std::pair<Step, std::string>> plan;
  // Every path of the three sorted maps once, in order, without copying them.
  auto here = local_.begin();
  auto agreed = agreed_.begin();
  auto there = remote_versions_.begin();
  for (;;) {
    const std::string* path = nullptr;
    for (const std::string* candidate : {here != local_.end() ? &here->first : nullptr,
                                         agreed != agreed_.end() ? &agreed->first : nullptr,
                                         there != remote_versions_.end() ? &there->first : nullptr})
      if (candidate && (!path || *candidate < *path)) path = candidate;
    if (!path) break;
    auto take = [&](auto& at, const auto& map) {
      bool same = at != map.end() && at->first == *path;
      return same ? &(at++)->second : nullptr;
    };
    const LocalFile* file = take(here, local_);
    const BaseEntry* entry = take(agreed, agreed_);
    const RemoteVersion* version = take(there, remote_versions_);
    if (auto step = decide(file, entry, version)) plan.emplace_back(*step, *path);
  }
  if (!plan.empty()) on_changes(plan.size());
  for (const auto& [step, path] : plan) {
    throw_if_stopped();
    try {
      perform(step, path);
    } catch (const Unreachable&) {
      throw;
    } catch (const std::exception& failure) {
      log_line(path + ": " + failure.what());
      ++report_.failed;
    }
    if (uploads_.size() >= batch_files || upload_bytes_ >= batch_bytes) send_uploads();
    if (downloads_.size() >= batch_files || download_bytes_ >= batch_bytes) fetch_downloads();
  }
  send_uploads();
  fetch_downloads();
  base_.commit();
  return report_;
}

std::optional<SyncPass::Step> SyncPass::decide(const LocalFile* here, const BaseEntry* agreed,
                                               const RemoteVersion* there) {
  bool changed_here = agreed ? !here || !(*here == agreed->file) : here != nullptr;
  bool changed_there = (there ? there->revision : 0) != (agreed ? agreed->revision : 0);
  bool live_there = there && there->object;
  if (changed_here && !changed_there)
    return here ? Step::upload : live_there ? Step::delete_on_server : Step::forget;
  if (!changed_here && changed_there) {
    if (live_there) return Step::download;
    return here ? std::optional(Step::remove_here) : std::nullopt;
  }
  if (!changed_here) return std::nullopt;
  // Changed on both sides: equal contents agree, different ones are both kept.
  if (here) return live_there ? Step::resolve : Step::upload;
  return live_there ? Step::download : Step::forget;
}

void SyncPass::perform(Step step, const std::string& path) {
  const RemoteVersion* there = find(remote_versions_, path);
  int64_t latest = there ? there->revision : 0;
  switch (step) {
    case Step::upload:
      return upload(path, latest);
    case Step::delete_on_server:
      uploads_.push_back({{path, latest, std::nullopt, 0}, {}});
      return;
    case Step::download:
      downloads_.push_back({path, *there});
      download_bytes_ += static_cast<uint64_t>(there->size);
      return;
    case Step::remove_here:
      return remove_here(path);
    case Step::resolve:
      return resolve(path, *there);
    case Step::forget:
      return base_.stage(path, std::nullopt);
  }
}

std::optional<std::pair<std::string, LocalFile>> SyncPass::examine(const std::string& path) {
  if (!valid_utf8(path)) throw Failure("Its name is not valid UTF-8, so it cannot be synced.");
  fs::path file = folder_ / path;
  auto before = stat_file(file);
  if (!before) return std::nullopt;
  std::string digest = digest_of_file(file);
  if (stat_file(file) != before) return std::nullopt;
  return std::pair(digest, *before);
}

void SyncPass::upload(const std::string& path, int64_t expected_revision) {
  auto examined = examine(path);
  if (!examined) return;
  auto& [object, file] = *examined;
  const BaseEntry* agreed = find(agreed_, path);
  if (agreed && agreed->object == object && agreed->revision == expected_revision) {
    base_.stage(path, BaseEntry{agreed->revision, object, file});  // touched, not changed
    return;
  }
  uploads_.push_back({{path, expected_revision, object, file.size}, file});
  upload_bytes_ += static_cast<uint64_t>(file.size);
}

void SyncPass::remove_here(const std::string& path) {
  if (stat_file(folder_ / path) != optional_of(find(local_, path))) return;
  keep_in_recovery(folder_, path);
  base_.stage(path, std::nullopt);
  ++report_.recovered;
}

void SyncPass::resolve(const std::string& path, const RemoteVersion& version) {
  auto examined = examine(path);
  if (!examined) return;
  if (examined->first == *version.object) {
    base_.stage(path, BaseEntry{version.revision, examined->first, examined->second});
    return;
  }
  set_aside_as_conflict(folder_, path, device_.name);
  log_line(path + ": changed here and on another computer; this computer’s copy was renamed.");
  ++report_.conflicts;
  report_.again = true;
  local_.erase(path);
  downloads_.push_back({path, version});
  download_bytes_ += static_cast<uint64_t>(version.size);
}

void SyncPass::batch(size_t files, const std::function<void()>& step) {
  try {
    step();
  } catch (const Unreachable&) {
    throw;
  } catch (const std::exception& failure) {
    log_line(failure.what());
    report_.failed += static_cast<int>(files);
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
      if (upload.version.object) digests.push_back(*upload.version.object);
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
    std::vector<NewVersion> versions;
    std::vector<const Upload*> sent;
    for (const auto& upload : uploads) {
      const auto& object = upload.version.object;
      // A file that changed while it was sent waits for the next pass.
      if (object && sending.contains(*object) && !stored.contains(*object)) continue;
      versions.push_back(upload.version);
      sent.push_back(&upload);
    }
    if (versions.empty()) return;
    auto revisions = remote_.record(versions);
    for (size_t i = 0; i < sent.size(); ++i) {
      // Refused: another computer got there first; the next pass sees both changes.
      if (revisions[i] == 0) continue;
      const Upload& upload = *sent[i];
      base_.stage(upload.version.path,
                  upload.version.object
                      ? std::optional(BaseEntry{revisions[i], *upload.version.object, upload.file})
                      : std::nullopt);
      ++report_.uploaded;
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
      auto content = std::make_unique<TempFile>(temporaries, 0666);
      if (copy_entry(pack, *content) != entry.digest || !arrived.contains(entry.digest))
        throw Failure("The stored object " + entry.digest + " on Quorvane Home is damaged.");
      arrived[entry.digest] = std::move(content);
    });
    std::map<std::string, int> uses;
    for (const auto& download : downloads) ++uses[*download.version.object];
    for (const auto& download : downloads) {
      const std::string& object = *download.version.object;
      try {
        auto& content = arrived.at(object);
        if (!content) throw Failure("Quorvane Home did not send its content.");
        if (--uses[object] == 0) {
          place(download, *content);
        } else {  // the same content at another path: a copy of its own
          TempFile copy(temporaries, 0666);
          fs::copy_file(content->path(), copy.path(), fs::copy_options::overwrite_existing);
          place(download, copy);
        }
      } catch (const std::exception& failure) {
        log_line(download.path + ": " + failure.what());
        ++report_.failed;
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
  // A file changed since the scan is left for the next pass to compare.
  auto scanned = optional_of(find(local_, path));
  if (stat_file(target) != scanned) return;
  if (scanned) {
    keep_in_recovery(folder_, path);
    ++report_.recovered;
  }
  if (!content.publish(target, Replace::never))
    throw Failure("Something that is not a regular file is in the way.");
  if (auto placed = stat_file(target))
    base_.stage(path, BaseEntry{download.version.revision, *download.version.object, *placed});
  ++report_.downloaded;
}
