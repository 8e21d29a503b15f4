#include "object_store.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>

#include "cli.h"

ObjectStore::ObjectStore(const fs::path& server_folder)
    : objects_(server_folder / "objects"), temporaries_(server_folder / "tmp") {}

fs::path ObjectStore::path_of(const std::string& name) const {
  bool valid = name.size() == 64 && std::all_of(name.begin(), name.end(), [](char c) {
                 return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
               });
  if (!valid) throw Failure("The catalogue names an object that cannot exist: " + name + ".");
  return objects_ / name.substr(0, 2) / name;
}

std::string ObjectStore::put(int fd, const fs::path& source) {
  TempFile temp(temporaries_, 0444);
  std::string name = copy_with_digest(fd, source, temp);
  fs::path target = path_of(name);
  if (::mkdir(target.parent_path().c_str(), 0755) != 0 && errno != EEXIST)
    fail_on("create", target.parent_path());
  // Equal names mean equal contents, so a copy already there (from another
  // computer, perhaps at this moment) may stay or be replaced alike.
  if (!fs::exists(target)) temp.publish(target, Replace::existing);
  return name;
}

void ObjectStore::get(const std::string& name, TempFile& into) const {
  fs::path source = path_of(name);
  Descriptor fd = open_file(source, O_RDONLY);
  if (copy_with_digest(fd.get(), source, into) != name)
    throw Failure("The stored object " + name + " on Quorvane Home is damaged.");
}

void ObjectStore::remove_stale_temporaries() const {
  auto day_ago = fs::file_time_type::clock::now() - std::chrono::hours(24);
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(temporaries_, error)) {
    if (entry.last_write_time(error) < day_ago && !error) fs::remove(entry.path(), error);
  }
}
