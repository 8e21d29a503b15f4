// Watch passes between computers: revisions, restore, what is not synced, the
// status file and stopping.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <thread>

#include "engine_harness.h"

namespace {

using nlohmann::json;

// Every change is a new revision; a restore makes an old one current again, on
// every computer; a deletion is a revision that cannot be restored.
TEST_F(EngineTest, revisions_history_and_restore) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  write_text(desk.folder / "notes" / "plan.txt", "good draft");
  sync(desk);
  write_text(desk.folder / "notes" / "plan.txt", "ruined draft, longer");
  sync(desk);
  sync(desk);  // nothing changed: no revision
  sync(laptop);
  int64_t good = history(laptop)[0][1]["revision"];
  auto restored = command(laptop, "restore", {"--revision", std::to_string(good)});
  EXPECT_EQ(restored.status, 0) << restored.output;
  EXPECT_TRUE(restored.output.starts_with("notes/plan.txt is back as it was on "))
      << restored.output;
  sync(desk);
  EXPECT_EQ(read_text(desk.folder / "notes" / "plan.txt"), "good draft");
  fs::remove(desk.folder / "notes" / "plan.txt");
  EXPECT_NE(
      command(desk, "watch", {"--once"})
          .output.find("notes/plan.txt: deleted here; the deletion is recorded on Quorvane Home."),
      std::string::npos);

  json listed = history(desk);
  ASSERT_EQ(listed.size(), 4u) << listed;
  int64_t previous = 0;
  std::vector<std::string> devices;
  for (const auto& element : listed) {
    const auto& record = element[1];
    EXPECT_EQ(element[0], "notes/plan.txt");
    EXPECT_GT(record["revision"].get<int64_t>(), previous);
    previous = record["revision"];
    devices.push_back(record["device"]);
    EXPECT_TRUE(record["time"].is_number());
  }
  EXPECT_EQ(devices, (std::vector<std::string>{"desk", "desk", "laptop", "desk"}));
  EXPECT_NE(listed[0][1]["content"], listed[1][1]["content"]);
  EXPECT_EQ(listed[2][1]["content"], listed[0][1]["content"]);
  EXPECT_TRUE(listed[3][1]["content"].is_null());

  const std::string deletion = std::to_string(previous);
  const std::pair<std::string, std::string> refusals[] = {
      {deletion, "Revision " + deletion + " records a deletion; choose a version with content.\n"},
      {"99", "Your history has no revision 99.\n"},
      {"-1", "“-1” is not a revision number.\n"},
      {"1e3", "“1e3” is not a revision number.\n"},
  };
  for (const auto& [revision, says] : refusals)
    EXPECT_EQ(command(desk, "restore", {"--revision", revision}).output, says) << revision;
}

// Links, empty folders and pipes stay where they are, and a download never follows
// a link out of the folder.
TEST_F(EngineTest, only_regular_files_are_synced_and_no_link_is_followed) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  write_text(desk.folder / "real.txt", "real");
  write_text(desk.folder / "docs" / "letter.txt", "dear");
  fs::create_symlink("real.txt", desk.folder / "link.txt");
  fs::create_directories(desk.folder / "empty" / "folder");
  mkfifo((desk.folder / "pipe").c_str(), 0600);
  sync(desk);
  fs::create_directories(root / "elsewhere");
  fs::create_directory_symlink(root / "elsewhere", laptop.folder / "docs");
  EXPECT_NE(command(laptop, "watch", {"--once"}).status, 0);
  EXPECT_TRUE(fs::is_empty(root / "elsewhere"));
  EXPECT_EQ(status(laptop)["state"], "incomplete");
  EXPECT_EQ(status(laptop)["message"],
            "docs/letter.txt: This path would lead outside the folder or through a symbolic link.");
  std::set<fs::path> synced;
  for (const auto& entry : fs::directory_iterator(laptop.folder))
    synced.insert(entry.path().filename());
  EXPECT_EQ(synced, (std::set<fs::path>{".quorvane", "real.txt", "docs"}));
}

// While the server cannot be reached, a pass says so, moves, deletes and records
// nothing, and the next pass after it is back catches up.
TEST_F(EngineTest, the_status_file_says_synced_or_waiting_for_the_server) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  write_text(desk.folder / "kept.txt", "kept");
  write_text(desk.folder / "gone.txt", "gone");
  sync(desk);
  sync(laptop);
  json synced = status(desk);
  EXPECT_EQ(synced["state"], "synced");
  EXPECT_NEAR(synced["updated_at"].get<double>(), time(nullptr), 60);
  home->stop();
  fs::remove(laptop.folder / "gone.txt");
  write_text(laptop.folder / "new.txt", "new");
  auto waiting = command(laptop, "watch", {"--once"});
  EXPECT_NE(waiting.status, 0);
  EXPECT_EQ(status(laptop)["state"], "waiting");
  EXPECT_EQ(status(laptop)["message"], "Quorvane Home cannot be reached at " + home->address + ".");
  EXPECT_FALSE(fs::exists(laptop.folder / ".quorvane" / "recovered"));
  home->start();
  EXPECT_EQ(history(desk).size(), 2u);
  sync(laptop);
  sync(desk);
  EXPECT_EQ(status(desk)["state"], "synced");
  EXPECT_EQ(folder_contents(desk.folder),
            (std::map<std::string, std::string>{{"kept.txt", "kept"}, {"new.txt", "new"}}));
}

TEST_F(EngineTest, sigterm_ends_watch_within_a_second_and_leaves_no_half_copy) {
  Computer desk = sign_in("desk");
  // A large sparse file, so that the signal comes in the middle of its upload.
  fs::path big = desk.folder / "big.bin";
  write_text(big, "");
  fs::resize_file(big, 1ull << 30);
  pid_t watch = start_engine({"watch", "--config", desk.config});
  auto in_progress = [&] { return !fs::is_empty(home->data / "tmp"); };
  while (!in_progress() && waitpid(watch, nullptr, WNOHANG) == 0)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(in_progress()) << "the upload ended before the signal";
  auto signalled = std::chrono::steady_clock::now();
  kill(watch, SIGTERM);
  EXPECT_EQ(wait_for(watch), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
  EXPECT_TRUE(fs::is_empty(home->data / "objects"));
  EXPECT_TRUE(history(desk).empty());
}

}  // namespace
