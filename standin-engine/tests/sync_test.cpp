// Watch passes between computers: revisions, conflicts, recovery, restore,
// privacy between accounts, what is not synced, and the status file.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

#include "engine_harness.h"

namespace {

using nlohmann::json;

std::vector<fs::path> recovered_folders(const Computer& computer) {
  std::vector<fs::path> folders;
  fs::path recovered = computer.folder / ".quorvane" / "recovered";
  if (fs::exists(recovered))
    for (const auto& entry : fs::directory_iterator(recovered)) folders.push_back(entry.path());
  return folders;
}

TEST_F(EngineTest, every_change_is_a_new_revision_in_the_history) {
  Computer desk = sign_in("desk");
  write_text(desk.folder / "notes" / "plan.txt", "first");
  sync(desk);
  write_text(desk.folder / "notes" / "plan.txt", "second, longer");
  sync(desk);
  sync(desk);  // nothing changed: no revision
  fs::remove(desk.folder / "notes" / "plan.txt");
  sync(desk);
  json listed = history(desk);
  ASSERT_EQ(listed.size(), 3u) << listed;
  int64_t previous = 0;
  for (const auto& element : listed) {
    const auto& record = element[1];
    EXPECT_EQ(element[0], "notes/plan.txt");
    int64_t revision = record["revision"];
    EXPECT_GT(revision, previous);
    previous = revision;
    EXPECT_EQ(record["device"], "desk");
    EXPECT_TRUE(record["time"].is_number());
  }
  EXPECT_TRUE(listed[0][1]["content"].is_string());
  EXPECT_NE(listed[0][1]["content"], listed[1][1]["content"]);
  EXPECT_TRUE(listed[2][1]["content"].is_null());
}

TEST_F(EngineTest, a_file_changed_on_both_computers_keeps_both_versions) {
  Computer desk = sign_in("desk");
  Computer laptop = pair("laptop");
  write_text(desk.folder / "report.txt", "original");
  sync(desk);
  sync(laptop);
  write_text(desk.folder / "report.txt", "desk's edit");
  write_text(laptop.folder / "report.txt", "laptop's edit");
  sync(desk);
  sync(laptop);
  sync(desk);
  auto on_desk = folder_contents(desk.folder);
  EXPECT_EQ(on_desk, folder_contents(laptop.folder));
  ASSERT_EQ(on_desk.size(), 2u);
  EXPECT_EQ(on_desk["report.txt"], "desk's edit");
  EXPECT_EQ(on_desk.begin()->second, "laptop's edit");
  EXPECT_TRUE(on_desk.begin()->first.starts_with("report (conflict ")) << on_desk.begin()->first;
}

TEST_F(EngineTest, files_a_download_replaces_or_removes_are_kept_with_their_path) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  write_text(desk.folder / "a.txt", "a, first");
  write_text(desk.folder / "sub" / "b.txt", "b");
  sync(desk);
  sync(laptop);
  write_text(desk.folder / "a.txt", "a, second");
  fs::remove(desk.folder / "sub" / "b.txt");
  sync(desk);
  sync(laptop);
  EXPECT_EQ(folder_contents(laptop.folder),
            (std::map<std::string, std::string>{{"a.txt", "a, second"}}));
  std::map<std::string, std::string> kept;  // original path -> content
  for (const auto& place : recovered_folders(laptop)) {
    auto contents = folder_contents(place);
    ASSERT_EQ(contents.size(), 2u) << place;
    std::string name = contents.begin()->first;
    kept[contents[name + ".original-path.txt"]] = contents[name];
  }
  EXPECT_EQ(kept, (std::map<std::string, std::string>{
                      {(laptop.folder / "a.txt").string() + "\n", "a, first"},
                      {(laptop.folder / "sub" / "b.txt").string() + "\n", "b"}}));
}

TEST_F(EngineTest, a_restored_version_becomes_current_on_every_computer) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  write_text(desk.folder / "essay.txt", "good draft");
  sync(desk);
  write_text(desk.folder / "essay.txt", "ruined draft");
  sync(desk);
  sync(laptop);
  int64_t good = history(laptop)[0][1]["revision"];
  auto restored = command(laptop, "restore", {"--revision", std::to_string(good)});
  EXPECT_EQ(restored.status, 0) << restored.output;
  EXPECT_TRUE(restored.output.starts_with("essay.txt is back as it was on ")) << restored.output;
  sync(desk);
  EXPECT_EQ(read_text(desk.folder / "essay.txt"), "good draft");
  json listed = history(desk);
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[2][1]["content"], listed[0][1]["content"]);
  EXPECT_EQ(listed[2][1]["device"], "laptop");
}

TEST_F(EngineTest, restore_refuses_what_is_not_a_version_of_this_account) {
  Computer desk = sign_in("desk");
  create_user(desk, "bob", "bob's own password");
  Computer bobs = sign_in("bobs", "bob", "bob's own password");
  write_text(desk.folder / "private.txt", "ada's");
  sync(desk);
  fs::remove(desk.folder / "private.txt");
  sync(desk);
  const std::pair<std::string, std::string> cases[] = {
      {"1", "Your history has no revision 1.\n"},  // ada's, not bob's
      {"99", "Your history has no revision 99.\n"},
      {"-1", "“-1” is not a revision number.\n"},
      {"1e3", "“1e3” is not a revision number.\n"},
  };
  for (const auto& [revision, says] : cases)
    EXPECT_EQ(command(bobs, "restore", {"--revision", revision}).output, says) << revision;
  EXPECT_EQ(command(desk, "restore", {"--revision", "2"}).output,
            "Revision 2 records a deletion; choose a version with content.\n");
  sync(bobs);
  EXPECT_TRUE(folder_contents(bobs.folder).empty());
  EXPECT_TRUE(history(bobs).empty());
}

TEST_F(EngineTest, only_regular_files_are_synced) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  write_text(desk.folder / "real.txt", "real");
  fs::create_symlink("real.txt", desk.folder / "link.txt");
  fs::create_directories(desk.folder / "empty" / "folder");
  mkfifo((desk.folder / "pipe").c_str(), 0600);
  sync(desk);
  sync(laptop);
  std::set<fs::path> synced;
  for (const auto& entry : fs::directory_iterator(laptop.folder))
    synced.insert(entry.path().filename());
  EXPECT_EQ(synced, (std::set<fs::path>{".quorvane", "real.txt"}));
}

TEST_F(EngineTest, a_download_never_follows_a_symbolic_link_out_of_the_folder) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  write_text(desk.folder / "docs" / "letter.txt", "dear");
  sync(desk);
  fs::create_directories(root / "elsewhere");
  fs::create_directory_symlink(root / "elsewhere", laptop.folder / "docs");
  EXPECT_NE(command(laptop, "watch", {"--once"}).status, 0);
  EXPECT_TRUE(fs::is_empty(root / "elsewhere"));
  EXPECT_EQ(status(laptop)["state"], "incomplete");
  EXPECT_EQ(status(laptop)["message"], "1 file could not be synced; see the log.");
}

TEST_F(EngineTest, the_status_file_says_synced_or_waiting_for_the_server) {
  Computer desk = sign_in("desk");
  sync(desk);
  json synced = status(desk);
  EXPECT_EQ(synced["state"], "synced");
  EXPECT_NEAR(synced["updated_at"].get<double>(), time(nullptr), 60);
  fs::rename(server, root / "unmounted");
  auto waiting = command(desk, "watch", {"--once"});
  EXPECT_NE(waiting.status, 0);
  EXPECT_EQ(status(desk)["state"], "waiting");
  EXPECT_EQ(status(desk)["message"], "Quorvane Home cannot be reached at " + server.string() + ".");
  fs::rename(root / "unmounted", server);
  sync(desk);
  EXPECT_EQ(status(desk)["state"], "synced");
}

TEST_F(EngineTest, sigterm_ends_watch_within_a_second_and_leaves_no_half_copy) {
  Computer desk = sign_in("desk");
  // A large sparse file, so that the signal comes in the middle of its upload.
  fs::path big = desk.folder / "big.bin";
  write_text(big, "");
  fs::resize_file(big, 1ull << 30);
  pid_t watch = start_engine({"watch", "--config", desk.config});
  auto in_progress = [&] { return !fs::is_empty(server / "tmp"); };
  while (!in_progress() && waitpid(watch, nullptr, WNOHANG) == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(in_progress()) << "the upload ended before the signal";
  auto signalled = std::chrono::steady_clock::now();
  kill(watch, SIGTERM);
  EXPECT_EQ(wait_for(watch), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
  EXPECT_TRUE(fs::is_empty(server / "tmp"));
  EXPECT_TRUE(fs::is_empty(server / "objects"));
  EXPECT_TRUE(history(desk).empty());
}

}  // namespace
