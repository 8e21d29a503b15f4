// What a download replaces or removes, and the permission bits it brings.
#include <sys/stat.h>

#include <functional>
#include <set>

#include "engine_harness.h"

namespace {

TEST_F(EngineTest, downloads_keep_in_recovery_only_what_the_server_lacks) {
  const std::string dir = std::string(244, 'n') + ".d", in_dir = dir + "/g.txt";
  const struct {
    const char* story;
    std::function<void(const Computer& desk, const Computer& laptop)> act;
    std::map<std::string, std::string> on_laptop;
    std::set<std::string> recovered;
  } cases[] = {
      {"edited three times on another computer",
       [this](const Computer& desk, const Computer& laptop) {
         for (const char* version : {"version 2", "version 3", "version 4"}) {
           write_text(desk.folder / "f.txt", version);
           sync(desk);
           sync(laptop);
         }
       },
       {{"f.txt", "version 4"}, {in_dir, "g"}},
       {}},
      {"deleted on another computer",
       [](const Computer& desk, const Computer&) { fs::remove(desk.folder / "f.txt"); },
       {{in_dir, "g"}},
       {}},
      {"a folder replaced by a file on another computer",
       [&](const Computer& desk, const Computer&) {
         fs::remove_all(desk.folder / dir);
         write_text(desk.folder / dir, "now a file");
       },
       {{"f.txt", "version 1"}, {dir, "now a file"}},
       {}},
      {"the same, while a new file waited in the folder here",
       [&](const Computer& desk, const Computer& laptop) {
         fs::remove_all(desk.folder / dir);
         write_text(desk.folder / dir, "now a file");
         write_text(laptop.folder / dir / "new.txt", "new here");
       },
       {{"f.txt", "version 1"}, {dir, "now a file"}},
       {"new here"}},
  };
  for (const auto& c : cases) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(c.story);
    write_text(desk.folder / "f.txt", "version 1");
    write_text(desk.folder / in_dir, "g");
    sync(desk);
    sync(laptop);
    c.act(desk, laptop);
    for (const Computer* computer : {&desk, &laptop, &laptop, &desk}) sync(*computer);
    EXPECT_EQ(folder_contents(laptop.folder), c.on_laptop);
    EXPECT_EQ(folder_contents(desk.folder), c.on_laptop);
    std::set<std::string> kept;
    for (const auto& [path, content] : recovered(laptop)) kept.insert(content);
    EXPECT_EQ(kept, c.recovered);
  }
}

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
