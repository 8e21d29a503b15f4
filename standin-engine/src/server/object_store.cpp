#include "object_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "cli.h"

ObjectStore::ObjectStore(const fs::path& data)
    : objects_(data / "objects"), temporaries_(data / "tmp") {}

void ObjectStore::create(const fs::path& data) {
  for (const char* part : {"objects", "tmp"}) {
    if (::mkdir((data / part).c_str(), 0700) != 0) fail_on("create", data / part);
  }
}

fs::path ObjectStore::path_of(const std::string& name) const {
  return objects_ / name.substr(0, 2) / name;
}

bool ObjectStore::receive(PackReader& pack, const PackEntry& entry) const {
  TempFile temp(temporaries_, 0400);
  if (copy_entry(pack, temp) != entry.digest) return false;
  fs::path target = path_of(entry.digest);
  if (::mkdir(target.parent_path().c_str(), 0700) != 0 && errno != EEXIST)
    fail_on("create", target.parent_path());
  // Equal names mean equal contents; a whole copy replaces one that may be damaged.
  temp.publish(target, Replace::existing);
  return true;
}

std::optional<std::pair<Descriptor, uint64_t>> ObjectStore::open(const std::string& name) const {
  fs::path path = path_of(name);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    fail_on("open", path);
  }
  Descriptor file(fd);
  struct stat info;
  if (::fstat(fd, &info) != 0) fail_on("read", path);
  return std::pair(std::move(file), static_cast<uint64_t>(info.st_size));
}

void ObjectStore::remove_temporaries() const {
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(temporaries_, error))
    fs::remove(entry.path(), error);
}
