// A file's permission bits travel with it, never wider on arrival than at its
// source, a change of them alone too; .quorvane is its owner's only.
#include <sys/stat.h>

#include "engine_harness.h"

namespace {

mode_t mode_of(const fs::path& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST_F(EngineTest, permission_bits_travel_never_wider_and_quorvane_stays_private) {
  const mode_t umask_here = umask(0);
  umask(umask_here);
  const std::pair<std::string, mode_t> files[] = {
      {"private.txt", 0600}, {"group.txt", 0640}, {"tool.sh", 0755},
      {"own-tool", 0700},    {"open.txt", 0666},  {"plain.txt", 0644},
  };
  const Computer desk = sign_in("desk"), laptop = sign_in("laptop");
  for (const auto& [name, mode] : files) {
    write_text(desk.folder / name, name);
    chmod((desk.folder / name).c_str(), mode);
  }
  sync(desk);
  sync(laptop);
  for (const auto& [name, mode] : files)
    EXPECT_EQ(mode_of(laptop.folder / name), mode & ~umask_here) << name;
  chmod((desk.folder / "plain.txt").c_str(), 0755);
  sync(desk);
  sync(laptop);
  EXPECT_EQ(mode_of(laptop.folder / "plain.txt"), 0755 & ~umask_here);
  for (const auto& [path, mode] :
       {std::pair{".quorvane", 0700}, {".quorvane/tmp", 0700}, {".quorvane/status.json", 0600}})
    EXPECT_EQ(mode_of(laptop.folder / path), static_cast<mode_t>(mode)) << path;
}

}  // namespace
