#include "sync_pass.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "cli.h"
#include "digest.h"
#include "local_folder.h"

namespace {

constexpr size_t batch_files = 5000;
constexpr uint64_t batch_bytes = 64 << 20;
// Writes closer than this to a read may share the time stamp the read saw (on
// FAT, times go in steps of two seconds).
constexpr int64_t stamp_steps = 2'000'000'000;
// Each file's content is read once a day, however its stat looks, a few files a pass.
constexpr int64_t content_check_age = 24 * 3600;
constexpr uint64_t content_check_bytes = 64 << 20;

template <typename Map>
const typename Map::mapped_type* find(const Map& map, const std::string& key) {
  auto found = map.find(key);
  return found == map.end() ? nullptr : &found->second;
}

std::optional<LocalFile> optional_of(const LocalFile* file) {
  return file ? std::optional(*file) : std::nullopt;
}

// The same file as agreed; an entry from before modes were kept matches any mode.
bool same_file(const LocalFile& here, const LocalFile& agreed) {
  return here.size == agreed.size && here.mtime == agreed.mtime && here.inode == agreed.inode &&
         (agreed.mode == 0 || here.mode == agreed.mode);
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
  auto landmark = base_.landmark();
  Changes changes = remote_.changes(base_.heard_up_to(), landmark ? landmark->revision : 0);
  if (landmark && changes.known != landmark)
    throw ServerWentBack("Quorvane Home no longer has revision " +
                         std::to_string(landmark->revision) + " (" + landmark->path +
                         ") as this computer synced it; it may have been restored from an older "
                         "backup. Nothing is moved or recorded until this computer rejoins it.");
  wanted_ = std::move(changes.wanted);
  base_.hear(changes);
  remote_versions_ = base_.load_remote();
  agreed_ = base_.load();
  local_ = scan_folder(folder_);
  for (const auto& [place, why] : local_.unexamined) fail(place, why);
  const int64_t now = static_cast<int64_t>(now_seconds());
  size_t check_files = std::max<size_t>(16, agreed_.size() / 1000);
  uint64_t check_bytes = content_check_bytes;
  std::vector<std::pair<Step, std::string>> plan;
  size_t checks = 0;  // steps that only read a file again
  // Every path of the three sorted maps once, in order, without copying them.
  auto here = local_.files.begin();
  auto agreed = agreed_.begin();
  auto there = remote_versions_.begin();
  for (;;) {
    const std::string* path = nullptr;
    for (const std::string* candidate : {here != local_.files.end() ? &here->first : nullptr,
                                         agreed != agreed_.end() ? &agreed->first : nullptr,
                                         there != remote_versions_.end() ? &there->first : nullptr})
      if (candidate && (!path || *candidate < *path)) path = candidate;
    if (!path) break;
    auto take = [&](auto& at, const auto& map) {
      bool same = at != map.end() && at->first == *path;
      return same ? &(at++)->second : nullptr;
    };
    const LocalFile* file = take(here, local_.files);
    const BaseEntry* entry = take(agreed, agreed_);
    const RemoteVersion* version = take(there, remote_versions_);
    if (!local_.unexamined.empty() && local_.unexamined_at(*path)) continue;
    bool read_again = false;
    if (file && entry && same_file(*file, entry->file)) {
      bool due = entry->checked < now - content_check_age && check_files > 0 && check_bytes > 0;
      read_again = entry->checked == 0 || due;
      if (due) {
        --check_files;
        check_bytes -= std::min<uint64_t>(check_bytes, static_cast<uint64_t>(file->size));
      }
    }
    if (auto step = decide(file, entry, version, read_again)) {
      plan.emplace_back(*step, *path);
      checks += read_again && *step == Step::upload;
    }
  }
  if (plan.size() > checks) on_changes(plan.size() - checks);
  for (const auto& [step, path] : plan) {
    throw_if_stopped();
    try {
      perform(step, path);
    } catch (const Unreachable&) {
      throw;
    } catch (const std::exception& failure) {
      fail(path, failure.what());
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
                                               const RemoteVersion* there, bool read_again) const {
  bool changed_here =
      agreed ? !here || !same_file(*here, agreed->file) || read_again : here != nullptr;
  bool changed_there = (there ? there->revision : 0) != (agreed ? agreed->revision : 0);
  bool live_there = there && there->object;
  if (changed_here && !changed_there)
    return here ? Step::upload : live_there ? Step::delete_on_server : Step::forget;
  if (!changed_here && changed_there) {
    if (live_there)
      return agreed && there->object == agreed->object ? Step::take_mode : Step::download;
    return here ? std::optional(Step::remove_here) : std::nullopt;
  }
  if (!changed_here) {
    if (agreed && wanted_.contains(agreed->object)) return Step::resend;
    if (agreed && agreed->file.mode == 0) return Step::note;  // its mode, from now on
    return std::nullopt;
  }
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
      uploads_.push_back({{path, latest, std::nullopt, 0, 0}, {}, 0, true, false});
      return;
    case Step::download:
      downloads_.push_back({path, *there, local_.files.contains(path) && !held_by_server(path)});
      download_bytes_ += static_cast<uint64_t>(there->size);
      return;
    case Step::take_mode:
      return take_mode(path, *there);
    case Step::remove_here:
      return remove_here(path);
    case Step::resolve:
      return resolve(path, *there);
    case Step::forget:
      return base_.stage(path, std::nullopt);
    case Step::note: {
      const BaseEntry& agreed = agreed_.at(path);
      return base_.stage(
          path, BaseEntry{agreed.revision, agreed.object, local_.files.at(path), agreed.checked});
    }
    case Step::resend:
      if (auto examined = examine(path); examined && examined->object == agreed_.at(path).object)
        resend(path, *examined);
      return;
  }
}

void SyncPass::fail(const std::string& path, const std::string& why) {
  log_line(path + ": " + why);
  if (report_.first_failure.empty()) report_.first_failure = path + ": " + why;
  ++report_.failed;
}

// The content agreed for the path is in the server's history, whole (not so
// sure since a server that went back in time was rejoined).
bool SyncPass::held_by_server(const std::string& path) const {
  const BaseEntry* agreed = find(agreed_, path);
  return agreed && agreed->revision >= 0 && !wanted_.contains(agreed->object);
}

std::optional<SyncPass::Examined> SyncPass::examine(const std::string& path) {
  if (!valid_utf8(path)) throw Failure("Its name is not valid UTF-8, so it cannot be synced.");
  fs::path file = folder_ / path;
  double started = now_seconds();
  auto before = stat_file(file);
  if (!before) return std::nullopt;
  std::string digest = digest_of_file(file);
  if (stat_file(file) != before) return std::nullopt;  // the next pass reads it again
  // A time far ahead (a clock set wrong) cannot come again from a write after this read.
  bool recent = std::abs(before->mtime - static_cast<int64_t>(started * 1e9)) < stamp_steps;
  return Examined{digest, *before, recent ? 0 : static_cast<int64_t>(started)};
}

void SyncPass::upload(const std::string& path, int64_t expected_revision) {
  auto examined = examine(path);
  if (!examined) return;
  auto& [object, file, checked] = *examined;
  const BaseEntry* agreed = find(agreed_, path);
  if (agreed && agreed->revision >= 0 && agreed->object == object &&
      (agreed->file.mode == 0 || agreed->file.mode == file.mode)) {
    // Read again, or touched, but not changed; gone elsewhere meanwhile.
    if (agreed->revision != expected_revision) return remove_here(path);
    base_.stage(path, BaseEntry{agreed->revision, object, file, checked});
    if (wanted_.contains(object)) resend(path, *examined);
    return;
  }
  send(path, expected_revision, *examined);
}

void SyncPass::send(const std::string& path, int64_t expected_revision, const Examined& examined) {
  const LocalFile& file = examined.file;
  const BaseEntry* agreed = find(agreed_, path);
  bool held = agreed && agreed->object == examined.object && held_by_server(path);
  uploads_.push_back({{path, expected_revision, examined.object, file.size, file.mode},
                      file,
                      examined.checked,
                      true,
                      held});
  upload_bytes_ += static_cast<uint64_t>(file.size);
}

void SyncPass::remove_here(const std::string& path) {
  if (stat_file(folder_ / path) != optional_of(find(local_.files, path))) return;
  if (held_by_server(path)) {
    if (::unlink((folder_ / path).c_str()) != 0) fail_on("delete", folder_ / path);
    log_line(path + ": deleted here, as on another computer.");
    ++report_.deleted_here;
  } else {
    keep_in_recovery(folder_, path);
    log_line(path + ": deleted on another computer; the copy here is kept in recovery.");
    ++report_.recovered;
  }
  base_.stage(path, std::nullopt);
}

void SyncPass::resolve(const std::string& path, const RemoteVersion& version) {
  auto examined = examine(path);
  if (!examined) return;
  const BaseEntry* agreed = find(agreed_, path);
  if (examined->object == *version.object) {
    // Read again, and not changed here: the new version can differ only in its mode.
    if (agreed && agreed->object == examined->object && agreed->file.mode == examined->file.mode)
      return take_mode(path, version);
    base_.stage(path,
                BaseEntry{version.revision, examined->object, examined->file, examined->checked});
    return;
  }
  if (agreed && agreed->object == examined->object) {  // read again, and not changed here
    // Since a server that went back in time was rejoined, what is here is newer.
    if (agreed->revision < 0) return send(path, version.revision, *examined);
    downloads_.push_back({path, version, !held_by_server(path)});
    download_bytes_ += static_cast<uint64_t>(version.size);
    return;
  }
  set_aside_as_conflict(folder_, path, device_.name);
  log_line(path + ": changed here and on another computer; this computer’s copy was renamed.");
  ++report_.conflicts;
  report_.again = true;
  local_.files.erase(path);
  downloads_.push_back({path, version, false});
  download_bytes_ += static_cast<uint64_t>(version.size);
}

// Another computer recorded the same content anew: only its mode can differ.
void SyncPass::take_mode(const std::string& path, const RemoteVersion& version) {
  fs::path target = folder_ / path;
  Descriptor fd = open_file(target, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
  struct stat info;
  if (::fstat(fd.get(), &info) != 0) fail_on("examine", target);
  if (file_of(info) != local_.files.at(path)) return;  // changed since the scan
  if (::fchmod(fd.get(), arrival_mode(version.mode)) != 0 || ::fstat(fd.get(), &info) != 0)
    fail_on("set the permissions of", target);
  base_.stage(
      path, BaseEntry{version.revision, *version.object, file_of(info), agreed_.at(path).checked});
  ++report_.downloaded;
}

// The server found its copy of this file's content damaged: send it again.
void SyncPass::resend(const std::string& path, const Examined& examined) {
  const LocalFile& file = examined.file;
  uploads_.push_back({{path, 0, examined.object, file.size, file.mode}, file, 0, false, false});
  upload_bytes_ += static_cast<uint64_t>(file.size);
}
