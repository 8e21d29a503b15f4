// Watch passes between computers: revisions, restore, what is not synced, and the
// status while the server cannot be reached or went back to an older backup.
#include <sys/stat.h>

#include <ctime>
#include <set>

#include "engine_harness.h"

namespace {

using nlohmann::json;

// A restore makes an old revision current everywhere; a deletion cannot be restored.
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

// While the server cannot be reached nothing moves; once it is back, passes catch up.
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

TEST_F(EngineTest, a_server_restored_from_an_older_backup_is_rejoined_without_loss) {
  const std::string went_back =
      "Quorvane Home went back to an older state; nothing syncs until you rejoin (see the README).";
  // Reissued: another computer records as many revisions as were lost, anew.
  for (bool reissued : {false, true}) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(user);
    write_text(desk.folder / "a.txt", "first");
    sync(desk);
    sync(laptop);
    const fs::path backup = root / (user + "-backup");
    home->stop();
    fs::copy(home->data, backup, fs::copy_options::recursive);
    home->start();
    write_text(desk.folder / "a.txt", "second");
    write_text(desk.folder / "b.txt", "new");
    sync(desk);
    sync(laptop);
    home->stop();
    fs::remove_all(home->data);
    fs::rename(backup, home->data);
    home->start();
    const Computer tablet = sign_in(user + "-tablet", user, password);
    sync(tablet);
    if (reissued) {
      write_text(tablet.folder / "a.txt", "tablet's");
      write_text(tablet.folder / "c.txt", "tablet's own");
      sync(tablet);
    }
    const size_t recorded = history(tablet).size();

    for (const Computer* computer : {&desk, &laptop}) {
      auto before = folder_contents(computer->folder);
      EXPECT_NE(command(*computer, "watch", {"--once"}).status, 0);
      EXPECT_EQ(status(*computer)["state"], "waiting");
      EXPECT_EQ(status(*computer)["message"], went_back);
      EXPECT_EQ(folder_contents(computer->folder), before);
      EXPECT_FALSE(fs::exists(computer->folder / ".quorvane" / "recovered"));
    }
    EXPECT_EQ(history(tablet).size(), recorded);

    for (const Computer* computer : {&desk, &laptop}) {
      auto rejoined = command(*computer, "rejoin");
      EXPECT_EQ(rejoined.status, 0) << rejoined.output;
    }
    for (const Computer* computer : {&desk, &laptop, &tablet, &desk}) sync(*computer);
    std::map<std::string, std::string> expected = {{"a.txt", "second"}, {"b.txt", "new"}};
    if (reissued) expected["c.txt"] = "tablet's own";
    for (const Computer* computer : {&desk, &laptop, &tablet})
      EXPECT_EQ(folder_contents(computer->folder), expected);
    std::set<std::string> contents;
    for (const auto& element : history(tablet))
      if (element[1]["content"].is_string()) contents.insert(element[1]["content"]);
    EXPECT_EQ(contents.contains(sha256_of("tablet's")), reissued);
  }
}

}  // namespace
