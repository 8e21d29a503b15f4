#include "sync_pass.h"

#include <fcntl.h>

#include <set>

#include "cli.h"
#include "local_folder.h"

namespace {

template <typename Map>
const typename Map::mapped_type* find(const Map& map, const std::string& key) {
  auto found = map.find(key);
  return found == map.end() ? nullptr : &found->second;
}

std::optional<LocalFile> optional_of(const LocalFile* file) {
  return file ? std::optional(*file) : std::nullopt;
}

}  // namespace

SyncPass::SyncPass(Server& server, const Account& account, const Credentials& device,
                   const fs::path& folder, LocalBase& base)
    : server_(server), account_(account), device_(device), folder_(folder), base_(base) {}

PassReport SyncPass::run(const std::function<void(size_t)>& on_changes) {
  local_ = scan_folder(folder_);
  agreed_ = base_.load();
  remote_ = server_.current_versions(account_.id);
  std::set<std::string> paths;
  for (const auto& [path, file] : local_) paths.insert(path);
  for (const auto& [path, entry] : agreed_) paths.insert(path);
  for (const auto& [path, version] : remote_) paths.insert(path);
  std::vector<std::pair<Step, std::string>> plan;
  for (const auto& path : paths)
    if (auto step = decide(path)) plan.emplace_back(*step, path);
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
  }
  flush();
  return report_;
}

std::optional<SyncPass::Step> SyncPass::decide(const std::string& path) const {
  const LocalFile* here = find(local_, path);
  const BaseEntry* agreed = find(agreed_, path);
  const Version* there = find(remote_, path);
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
  const Version* there = find(remote_, path);
  int64_t latest = there ? there->revision : 0;
  switch (step) {
    case Step::upload:
      return upload(path, latest);
    case Step::delete_on_server:
      return queue({path, latest, std::nullopt, {}});
    case Step::download:
      return download(path, *there);
    case Step::remove_here:
      return remove_here(path);
    case Step::resolve:
      return resolve(path, *there);
    case Step::forget:
      return base_.stage(path, std::nullopt);
  }
}

std::optional<std::pair<std::string, LocalFile>> SyncPass::store(const std::string& path) {
  fs::path file = folder_ / path;
  auto before = stat_file(file);
  if (!before) return std::nullopt;
  // O_NONBLOCK: should a pipe have taken the file's place, opening it must not wait.
  Descriptor fd = open_file(file, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
  std::string object = server_.objects().put(fd.get(), file);
  if (stat_file(file) != before) return std::nullopt;
  return std::pair(object, *before);
}

void SyncPass::upload(const std::string& path, int64_t expected_revision) {
  auto stored = store(path);
  if (!stored) return;
  auto& [object, file] = *stored;
  const BaseEntry* agreed = find(agreed_, path);
  if (agreed && agreed->object == object && agreed->revision == expected_revision) {
    base_.stage(path, BaseEntry{agreed->revision, object, file});  // touched, not changed
    return;
  }
  queue({path, expected_revision, object, file});
}

void SyncPass::download(const std::string& path, const Version& version) {
  if (!safe_destination(folder_, path))
    throw Failure("This path would lead outside the folder or through a symbolic link.");
  fs::path target = folder_ / path;
  TempFile temp(folder_ / ".quorvane" / "tmp", 0666);
  server_.objects().get(*version.object, temp);
  fs::create_directories(target.parent_path());
  // A file changed since the scan is left for the next pass to compare.
  auto scanned = optional_of(find(local_, path));
  if (stat_file(target) != scanned) return;
  if (scanned) {
    keep_in_recovery(folder_, path);
    ++report_.recovered;
  }
  if (!temp.publish(target, Replace::never))
    throw Failure("Something that is not a regular file is in the way.");
  if (auto placed = stat_file(target))
    base_.stage(path, BaseEntry{version.revision, *version.object, *placed});
  ++report_.downloaded;
  downloaded_ = true;
  if (++unflushed_ >= 500) flush();
}

void SyncPass::remove_here(const std::string& path) {
  if (stat_file(folder_ / path) != optional_of(find(local_, path))) return;
  keep_in_recovery(folder_, path);
  base_.stage(path, std::nullopt);
  ++report_.recovered;
}

void SyncPass::resolve(const std::string& path, const Version& version) {
  auto stored = store(path);
  if (!stored) return;
  if (stored->first == *version.object) {
    base_.stage(path, BaseEntry{version.revision, stored->first, stored->second});
    return;
  }
  set_aside_as_conflict(folder_, path, device_.name);
  log_line(path + ": changed here and on another computer; this computer’s copy was renamed.");
  ++report_.conflicts;
  report_.again = true;
  local_.erase(path);
  download(path, version);
}

void SyncPass::queue(Upload upload) {
  uploads_.push_back(std::move(upload));
  if (++unflushed_ >= 500) flush();
}

void SyncPass::flush() {
  if (!uploads_.empty()) {
    server_.objects().flush();
    std::vector<std::pair<const Upload*, int64_t>> accepted;
    Transaction transaction(server_.catalogue());
    for (const auto& upload : uploads_) {
      // Another computer got there first; the next pass sees both changes.
      if (server_.latest_revision(account_.id, upload.path) != upload.expected_revision) continue;
      Version version{0, upload.path, upload.object, upload.file.size, 0, device_.name};
      accepted.emplace_back(&upload, server_.add_version(account_.id, version));
    }
    transaction.commit();
    for (const auto& [upload, revision] : accepted) {
      base_.stage(upload->path,
                  upload->object ? std::optional(BaseEntry{revision, *upload->object, upload->file})
                                 : std::nullopt);
      ++report_.uploaded;
    }
    uploads_.clear();
  }
  if (downloaded_) flush_file_system(folder_);
  base_.commit();
  unflushed_ = 0;
  downloaded_ = false;
}
