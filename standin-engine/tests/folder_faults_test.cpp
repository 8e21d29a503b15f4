// The sync folder misbehaving: files that cannot be examined, names too long for
// the copies a pass makes, and the folder itself going away.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "engine_harness.h"

namespace {

// One pass as an ordinary user's engine: root's power to read past permissions dropped.
Outcome pass_as_a_user(const Computer& computer) {
  std::vector<std::string> pass = {"watch", "--config", computer.config, "--once"};
  if (geteuid() != 0) return run_engine(pass);
  pass.insert(pass.begin(),
              {"--bounding-set=-dac_override,-dac_read_search", QUORVANE_STANDIN_ENGINE});
  return run_program("/usr/bin/setpriv", pass);
}

// A file below enough folders that its whole path is longer than the system
// allows, made one folder at a time; its path in the folder.
std::string beyond_path_max(const fs::path& folder) {
  const std::string name(200, 'd');
  std::string path;
  int at = open(folder.c_str(), O_RDONLY | O_CLOEXEC);
  for (int depth = 0; depth < 21; ++depth, path += name + "/") {
    mkdirat(at, name.c_str(), 0755);
    int inner = openat(at, name.c_str(), O_RDONLY | O_CLOEXEC);
    close(std::exchange(at, inner));
  }
  close(openat(at, "deep.txt", O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  close(at);
  return path + "deep.txt";
}

// Only "no such file" means deleted; the rest of the folder still syncs.
TEST_F(EngineTest, what_cannot_be_examined_is_named_and_never_taken_for_deleted) {
  const struct {
    const char* what;
    std::function<std::string(const fs::path& folder)> spoil;  // the path named
  } cases[] = {
      {"a folder that cannot be read",
       [](const fs::path& folder) {
         chmod((folder / "kept").c_str(), 0);
         return std::string("kept/");
       }},
      {"a file that cannot be read",
       [](const fs::path& folder) {
         write_text(folder / "unreadable.txt", "secret");
         chmod((folder / "unreadable.txt").c_str(), 0);
         return std::string("unreadable.txt");
       }},
      {"a path longer than the system allows", beyond_path_max},
  };
  for (const auto& c : cases) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(c.what);
    write_text(desk.folder / "kept" / "a.txt", "a");
    write_text(desk.folder / "kept" / "b.txt", "b");
    sync(desk);
    sync(laptop);
    const std::string named = c.spoil(desk.folder);
    write_text(desk.folder / "elsewhere.txt", "still synced");
    EXPECT_NE(pass_as_a_user(desk).status, 0);
    EXPECT_EQ(status(desk)["state"], "incomplete");
    EXPECT_TRUE(status(desk)["message"].get<std::string>().starts_with(named + ": Could not "))
        << status(desk)["message"];
    sync(laptop);
    EXPECT_EQ(folder_contents(laptop.folder),
              (std::map<std::string, std::string>{
                  {"kept/a.txt", "a"}, {"kept/b.txt", "b"}, {"elsewhere.txt", "still synced"}}));
    EXPECT_EQ(history(laptop).size(), 3u);
    chmod((desk.folder / "kept").c_str(), 0755);
    run_program("/bin/rm", {"-rf", desk.folder / std::string(200, 'd')});
  }
}

// Its extension kept, and the file goes on syncing.
TEST_F(EngineTest, conflict_copies_of_files_with_long_names_get_names_that_fit) {
  std::string in_utf8;
  while (in_utf8.size() < 250) in_utf8 += "é";
  for (const std::string& name : {std::string(244, 'n') + ".txt", in_utf8 + ".txt"}) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(user);
    write_text(desk.folder / name, "first");
    sync(desk);
    sync(laptop);
    write_text(desk.folder / name, "desk's");
    write_text(laptop.folder / name, "laptop's");
    for (const Computer* computer : {&desk, &laptop, &laptop, &desk}) sync(*computer);
    auto contents = folder_contents(laptop.folder);
    EXPECT_EQ(folder_contents(desk.folder), contents);
    EXPECT_EQ(contents.size(), 2u);
    EXPECT_EQ(contents[name], "desk's");
    contents.erase(name);
    for (const auto& [copy, content] : contents) {
      EXPECT_EQ(content, "laptop's");
      EXPECT_TRUE(copy.ends_with(".txt")) << copy;
    }
  }
}

// An unplugged disk, an empty folder left in its place: waiting, then syncing again.
TEST_F(EngineTest, a_sync_folder_that_goes_away_is_waited_for_and_never_replaced) {
  const Computer desk = sign_in("desk"), laptop = sign_in("laptop");
  write_text(desk.folder / "a.txt", "a");
  const fs::path log = root / "watch.log", away = root / "unplugged";
  pid_t watch = start_engine({"watch", "--config", desk.config}, log);
  ASSERT_TRUE(eventually([&] { return status(desk).value("state", "") == "synced"; }));
  fs::rename(desk.folder, away);
  fs::create_directory(desk.folder);
  write_text(laptop.folder / "b.txt", "b");
  sync(laptop);
  EXPECT_TRUE(eventually([&] { return status(desk).value("state", "") == "waiting"; }));
  EXPECT_NE(read_text(log).find("The sync folder " + desk.folder.string() + " is not there"),
            std::string::npos);
  EXPECT_TRUE(folder_contents(desk.folder).empty());
  EXPECT_EQ(waitpid(watch, nullptr, WNOHANG), 0);
  fs::remove_all(desk.folder);
  fs::rename(away, desk.folder);
  EXPECT_TRUE(eventually([&] { return fs::exists(desk.folder / "b.txt"); })) << read_text(log);
  EXPECT_EQ(kill(watch, SIGTERM), 0);
  EXPECT_EQ(wait_for(watch), 0);
}

}  // namespace
