#include "object_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "cli.h"
#include "digest.h"

ObjectStore::ObjectStore(const fs::path& data)
    : objects_(data / "objects"), temporaries_(data / "tmp"), damaged_(data / "damaged") {}

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
  ::unlink((damaged_ / entry.digest).c_str());
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

bool ObjectStore::check(const std::string& name) const {
  if (auto object = open(name)) {
    static thread_local std::vector<char> chunk(1 << 20);
    Sha256 hasher;
    for (ssize_t got; (got = ::read(object->first.get(), chunk.data(), chunk.size())) != 0;) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) fail_on("read", path_of(name));
      hasher.update({chunk.data(), static_cast<size_t>(got)});
    }
    if (hasher.finish() == name) return true;
  }
  // Set aside, or noted as lost when there is nothing to set aside.
  if (::mkdir(damaged_.c_str(), 0700) != 0 && errno != EEXIST) fail_on("create", damaged_);
  fs::path aside = damaged_ / name;
  if (::rename(path_of(name).c_str(), aside.c_str()) != 0) {
    if (errno != ENOENT) fail_on("set aside", path_of(name));
    open_file(aside, O_WRONLY | O_CREAT, 0400);
  }
  std::fprintf(stderr,
               "The object %s is damaged or lost; it is wanted from a computer that has it.\n",
               name.c_str());
  return false;
}

std::vector<std::string> ObjectStore::wanted() const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(damaged_, error))
    if (is_digest(entry.path().filename().string())) names.push_back(entry.path().filename());
  return names;
}
