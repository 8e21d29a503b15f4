// What a download replaces or removes here: kept in recovery only when the
// server does not hold it; a folder where a file now goes is cleared for it.
#include <functional>
#include <set>

#include "engine_harness.h"

namespace {

TEST_F(EngineTest, downloads_keep_in_recovery_only_what_the_server_lacks) {
  using Contents = std::map<std::string, std::string>;
  const struct {
    const char* story;
    std::function<void(const Computer& desk, const Computer& laptop)> act;
    Contents on_laptop;
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
       {{"f.txt", "version 4"}, {"dir/g.txt", "g"}},
       {}},
      {"deleted on another computer",
       [](const Computer& desk, const Computer&) { fs::remove(desk.folder / "f.txt"); },
       {{"dir/g.txt", "g"}},
       {}},
      {"a folder replaced by a file on another computer",
       [](const Computer& desk, const Computer&) {
         fs::remove_all(desk.folder / "dir");
         write_text(desk.folder / "dir", "now a file");
       },
       {{"f.txt", "version 1"}, {"dir", "now a file"}},
       {}},
      {"the same, while a new file waited in the folder here",
       [](const Computer& desk, const Computer& laptop) {
         fs::remove_all(desk.folder / "dir");
         write_text(desk.folder / "dir", "now a file");
         write_text(laptop.folder / "dir" / "new.txt", "new here");
       },
       {{"f.txt", "version 1"}, {"dir", "now a file"}},
       {"new here"}},
  };
  for (const auto& c : cases) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(c.story);
    write_text(desk.folder / "f.txt", "version 1");
    write_text(desk.folder / "dir" / "g.txt", "g");
    sync(desk);
    sync(laptop);
    c.act(desk, laptop);
    for (const Computer* computer : {&desk, &laptop, &laptop, &desk}) sync(*computer);
    EXPECT_EQ(folder_contents(laptop.folder), c.on_laptop);
    EXPECT_EQ(folder_contents(desk.folder), c.on_laptop);
    std::set<std::string> recovered;
    fs::path recovery = laptop.folder / ".quorvane" / "recovered";
    for (const auto& [path, content] :
         fs::exists(recovery) ? folder_contents(recovery) : Contents())
      if (!path.ends_with(".original-path.txt")) recovered.insert(content);
    EXPECT_EQ(recovered, c.recovered);
  }
}

}  // namespace
