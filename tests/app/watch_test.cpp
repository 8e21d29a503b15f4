#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "app/sync_log.h"
#include "status/status_look.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

// Paused, busy and without a folder: in the tests of signing in again, engine
// commands and launch.
TEST(Watch, StartsNoSecondOneAndNoneWhileQuitting) {
  const struct {
    const char* name;
    std::function<void(AppHarness&)> given;
  } cases[] = {
      {"one running", [](AppHarness& h) { h.app->start(); }},
      {"quitting", [](AppHarness& h) { h.app->applicationShouldTerminate(); }},
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.configure();
    c.given(h);
    const int started = h.engine->watchesStarted;
    h.app->start();
    EXPECT_EQ(h.engine->watchesStarted, started) << c.name;
    EXPECT_EQ(std::filesystem::exists(h.app->locations().syncLog()), started > 0)
        << c.name << ": the log is touched only to start a watch";
  }
}

TEST(Watch, AFailedStartIsTheStatusLineUntilTheSameTickShowsTheStatusAndRetries) {
  AppHarness h;
  h.configure();
  h.writeStatus("synced", "All files up to date");
  h.engine->watchStartError = "No such file or directory: /bundle/quorvane";
  h.launch();
  const std::string failure = "Could not start sync: No such file or directory: /bundle/quorvane";
  EXPECT_EQ(h.fake.ui.statusLines().back(), failure);
  h.fake.loop.advance(2.0);
  const std::vector<std::string> lines = h.fake.ui.statusLines();
  EXPECT_EQ(lines.at(lines.size() - 2), failure) << "the tick tried again";
  EXPECT_EQ(lines.back(), "All files up to date");
  h.engine->watchStartError.reset();
  h.fake.loop.advance(2.0);
  EXPECT_NE(h.app->worker(), nullptr);
}

TEST(Watch, OneThatEndsIsReplacedByTheNextTickAndALateReportKeepsTheNewOne) {
  AppHarness h;
  h.configure();
  h.launch();
  h.engine->endWatch();
  h.fake.loop.advance(1.99);
  EXPECT_EQ(h.app->worker(), nullptr);
  h.fake.loop.advance(0.01);
  const int second = h.workerPid();
  EXPECT_NE(second, -1);

  h.engine->endWatch();  // its report is queued behind a stop and a start
  h.app->stop();
  h.app->start();
  const int third = h.workerPid();
  h.fake.loop.advance(0.0);
  EXPECT_EQ(h.workerPid(), third);
  EXPECT_NE(third, second);
}

TEST(Watch, PauseStopsItAtOnceAndKeepsTheIconResumeStartsItAtOnceAndQuitStopsIt) {
  AppHarness h;
  h.configure();
  h.writeStatus("synced", "All files up to date");
  h.launch();
  h.fake.loop.advance(2.0);
  const StatusItemRecord before = h.fake.ui.statusItem();
  h.fake.ui.choose("Pause Syncing");
  EXPECT_EQ(h.app->worker(), nullptr);
  h.writeStatus("waiting", "Server unreachable");
  h.fake.loop.advance(6.0);
  EXPECT_EQ(h.app->worker(), nullptr);
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Paused");
  EXPECT_EQ(std::tie(h.fake.ui.statusItem().images, h.fake.ui.statusItem().toolTips),
            std::tie(before.images, before.toolTips));

  h.fake.ui.choose("Resume Syncing");
  EXPECT_NE(h.app->worker(), nullptr) << "at once, not at the next tick";
  EXPECT_EQ(h.fake.ui.statusItem().images.back(),
            (StatusImage{kSymbolWaiting, "Server unreachable"}));
  h.fake.ui.choose("Quit Quorvane");
  EXPECT_EQ(h.fake.ui.terminations, std::vector<TerminateReply>{TerminateReply::now});
  EXPECT_EQ(h.app->worker(), nullptr);
}

namespace fs = std::filesystem;

fs::perms permissions(const fs::path& path) {
  return fs::status(path).permissions() & fs::perms::all;
}

TEST(SyncLog, MakesPrivateFoldersAndLogWhateverTheUmaskAndLeavesAFolderThatExists) {
  TempDir dir;
  const fs::path support = dir / "a" / "Quorvane";
  const mode_t umask = ::umask(0777);  // mkdir and open apply it; the modes must not
  files::OpenResult log = openSyncLog(support, support / "sync.log");
  ::umask(umask);
  ASSERT_TRUE(log.fd) << log.error;
  EXPECT_EQ(permissions(dir / "a"), fs::perms::owner_all);
  EXPECT_EQ(permissions(support), fs::perms::owner_all);
  EXPECT_EQ(permissions(support / "sync.log"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::file_size(support / "sync.log"), 0u);

  const fs::perms chosen = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec;
  fs::permissions(support, chosen);
  ASSERT_TRUE(openSyncLog(support, support / "sync.log").fd);
  EXPECT_EQ(permissions(support), chosen);

  writeFile(dir / "file", "a file where the folder belongs");
  files::OpenResult refused = openSyncLog(dir / "file", dir / "file" / "sync.log");
  EXPECT_FALSE(refused.fd);
  EXPECT_EQ(refused.error, "Not a directory: " + (dir / "file").string());
}

TEST(SyncLog, ALinkInItsPlaceIsReplacedByARegularFileAndNeverFollowed) {
  for (const bool dangling : {true, false}) {
    TempDir dir;
    const fs::path support = dir / "Quorvane";
    fs::create_directories(support);
    const fs::path target = dir / "elsewhere";
    if (!dangling) writeFile(target, "not the log's");
    fs::create_symlink(target, support / "sync.log");

    files::OpenResult log = openSyncLog(support, support / "sync.log");
    ASSERT_TRUE(log.fd) << log.error;
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(support / "sync.log")));
    EXPECT_EQ(fs::exists(target), !dangling);
    if (!dangling) {
      EXPECT_EQ(readFile(target), "not the log's");
    }
  }
}

// While a command runs the watch waits, the icon stays and the menu says so; the
// completion comes before the refresh, and one that runs another command keeps
// everything waiting until that one has completed too.
TEST(EngineCommands, RunHoldsTheWatchAndTheIconAndAFollowUpKeepsThemHeld) {
  AppHarness h;
  h.configure();
  h.writeStatus("synced", "All files up to date");
  h.launch();
  h.fake.loop.advance(2.0);
  const StatusItemRecord before = h.fake.ui.statusItem();
  h.engine->reply("export-profile", {2, "no such server\n"});
  h.engine->hold("export-profile");
  h.app->stop();
  std::vector<std::string> done;
  h.app->run({"export-profile"}, "input", [&](std::int32_t status, const std::string& text) {
    done.push_back(std::to_string(status) + " " + text);
    EXPECT_FALSE(h.app->busy());
    h.app->run({"account-info"}, std::nullopt, [&](std::int32_t, const std::string&) {
      done.push_back("second");
      EXPECT_EQ(h.engine->watchesStarted, 1) << "no watch between the two commands";
    });
  });
  // Busy, watching, the status line, and whether the menu offers the engine's commands.
  auto shown = [&h] {
    return std::tuple(h.app->busy(), h.app->worker() != nullptr, h.fake.ui.statusLines().back(),
                      h.fake.ui.enabled("Account…"));
  };
  EXPECT_EQ(shown(), std::tuple(true, false, "Working…", false));
  h.writeStatus("waiting", "Server unreachable");
  h.app->start();
  h.fake.loop.advance(6.0);
  EXPECT_EQ(shown(), std::tuple(true, false, "Working…", false));
  EXPECT_EQ(h.fake.ui.statusItem().images, before.images);

  h.engine->finishHeld();
  h.fake.loop.runUntilIdle();
  EXPECT_EQ(done, (std::vector<std::string>{"2 no such server\n", "second"}));
  EXPECT_EQ(h.engine->runs.at(0).input, "input");
  // The watch at once, not at the next tick.
  EXPECT_EQ(shown(), std::tuple(false, true, "Server unreachable", true));
}

// The protocol no flow may forget a step of: watch stopped and busy from the
// opening, through every command and dialog, until the last holder lets go; then
// busy cleared and the watch started again, once.
TEST(EngineCommands, ASessionHoldsTheEngineUntilItsLastHolderLetsGo) {
  AppHarness h;
  h.configure();
  h.launch();
  h.writeStatus("waiting", "Server unreachable");
  std::vector<std::string> seen;
  auto state = [&h] {
    return std::string(h.app->busy() ? "busy" : "free") + (h.app->worker() ? " watch" : "");
  };
  {
    const std::shared_ptr<EngineSession> session = h.app->exclusiveSession();
    ASSERT_TRUE(session);
    seen.push_back(state());
    EXPECT_FALSE(h.fake.ui.enabled("Account…")) << "the menu shows it";
    EXPECT_EQ(h.app->exclusiveSession(), nullptr) << "one at a time";
    h.app->start();
    session->run(
        {"history"}, std::nullopt, [&](EngineSession& same, std::int32_t, const std::string&) {
          seen.push_back(state());
          same.run(
              {"restore"}, std::nullopt,
              [&](EngineSession&, std::int32_t, const std::string&) { seen.push_back(state()); });
        });
  }
  seen.push_back(state());
  h.fake.loop.runUntilIdle();
  seen.push_back(state());
  EXPECT_EQ(seen, (std::vector<std::string>{"busy", "busy", "busy", "busy", "free watch"}));
  EXPECT_EQ(h.engine->watchesStarted, 2);
  EXPECT_TRUE(h.fake.ui.enabled("Account…"));
  EXPECT_EQ(h.fake.ui.statusLines().back(), "Server unreachable") << "refreshed after its end";
}

}  // namespace
}  // namespace quorvane::testing
