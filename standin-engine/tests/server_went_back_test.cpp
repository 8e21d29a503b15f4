// A server restored from an older backup: the computers that saw more than it
// now has sync nothing until their person rejoins it, and rejoining loses nothing.
#include <set>

#include "engine_harness.h"

namespace {

TEST_F(EngineTest, a_server_restored_from_an_older_backup_is_rejoined_without_loss) {
  const std::string went_back =
      "Quorvane Home went back to an older state; nothing syncs until you rejoin (see the README).";
  const struct {
    bool reissued;  // another computer records as many revisions as were lost, anew
  } cases[] = {{false}, {true}};
  for (const auto& c : cases) {
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
    if (c.reissued) {
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
    if (c.reissued) expected["c.txt"] = "tablet's own";
    for (const Computer* computer : {&desk, &laptop, &tablet})
      EXPECT_EQ(folder_contents(computer->folder), expected);
    std::set<std::string> contents;
    for (const auto& element : history(tablet))
      if (element[1]["content"].is_string()) contents.insert(element[1]["content"]);
    EXPECT_EQ(contents.contains(sha256_of("tablet's")), c.reissued);
  }
}

}  // namespace
