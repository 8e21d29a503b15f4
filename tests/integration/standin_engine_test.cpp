// The front end's flows against the real stand-in engine: a running
// quorvane-server, computers that are each an application over the fake platform
// with a home of its own, and the engine's own watch processes.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <thread>

#include "engine/command_runner.h"
#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

using namespace std::chrono_literals;

const std::string kAdaPassword = "ada’s long password", kBobPassword = "bob’s first password",
                  kNewPassword = "ada’s newer password";

int freePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

// A home server whose first administrator is "ada", served on a loopback port
// while it lives, and its connection file.
struct Server {
  Server() {
    const std::string address = "127.0.0.1:" + std::to_string(freePort());
    server({"init", "--data", dir / "server", "--address", address, "--output", connection},
           Json{{"username", "ada"}, {"display_name", "Ada"}, {"password", kAdaPassword}}.dump());
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const std::string data = dir / "server";
    const char* argv[] = {QUORVANE_STANDIN_SERVER, "serve", "--data", data.c_str(), nullptr};
    posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (readFile(log).find("is listening on") == std::string::npos) {
      EXPECT_LT(std::chrono::steady_clock::now(), deadline) << "the server did not start";
      if (std::chrono::steady_clock::now() > deadline) break;
      std::this_thread::sleep_for(5ms);
    }
  }
  ~Server() {
    if (pid <= 0) return;  // never kill(-1, …)
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
  // The server's owner's tool; the test fails unless it succeeds.
  static void server(const std::vector<std::string>& arguments,
                     const std::optional<std::string>& input = std::nullopt) {
    const EngineResult result = runEngineCommand(QUORVANE_STANDIN_SERVER, arguments, input);
    ASSERT_EQ(result.status, 0) << result.text;
  }
  std::filesystem::path invite(const std::string& username) const {
    const std::filesystem::path invitation = dir / (username + ".quorvane-invitation");
    server({"invite", "--data", dir / "server", "--username", username, "--output", invitation});
    return invitation;
  }

  TempDir dir;
  std::filesystem::path connection = dir / "Quorvane Home.quorvane-server";
  std::filesystem::path log = dir / "server.log";
  pid_t pid = -1;
};

// A computer with its own home and sync folder, not yet launched.
struct Computer : AppHarness {
  explicit Computer(std::string host = "Test Computer")
      : AppHarness(EngineProgram{
            QUORVANE_STANDIN_ENGINE, std::chrono::seconds(10),
            std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                .count()}) {
    fake.system.hostName = std::move(host);
    std::filesystem::create_directories(syncFolder());
  }

  // The person's answers once the flow knows the server: account, folder, result.
  void expectSignIn(const std::string& username, const std::string& password) {
    fake.ui.expect({A, "Sign in to Quorvane", "Sign In", {{0, username}, {1, password}}});
    fake.ui.expect({P, "", syncFolder()});
    fake.ui.expect({A, "Signed in"});
  }
  // Launched, the person answers the setup chooser with `button`, then the dialogs
  // that `script` expects; the flow runs to its end.
  void connectAtLaunch(const std::string& button, const std::function<void()>& script) {
    fake.ui.expect({A, "Connect this computer", button});
    script();
    launch();
    fake.loop.advance(0.5);
    fake.loop.runUntilIdle();
  }
  void signInAtLaunch(const Server& server, const std::string& username,
                      const std::string& password) {
    connectAtLaunch("Sign In", [&] {
      fake.ui.expect({P, "", server.connection});
      expectSignIn(username, password);
    });
  }

  // Waits, boundedly, for the watch process's pass to end in sync; then one
  // refresh tick reads its status file.
  void waitForSync() {
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    for (;;) {
      const std::optional<Json> status = parseJson(readFile(statusFile()));
      const Json* state = status ? member(*status, "state") : nullptr;
      if (state && *state == "synced") break;
      ASSERT_LT(std::chrono::steady_clock::now(), deadline)
          << "no pass ended in sync; the sync log:\n"
          << readFile(app->locations().syncLog());
      std::this_thread::sleep_for(20ms);
    }
    fake.loop.advance(2.0);
  }
  std::string symbol() const { return fake.ui.statusItem().images.back().symbol; }

  // One pass made by the test, with the application's watch paused; whether it
  // ended in sync.
  bool pass() {
    fake.ui.choose("Pause Syncing");
    const EngineResult result = runEngineCommand(
        QUORVANE_STANDIN_ENGINE, {"watch", "--config", config(), "--once"}, std::nullopt);
    fake.ui.choose("Resume Syncing");
    return result.status == 0;
  }
};

TEST(StandInEngine, SignedInComputersSyncAndTheHistoryOfOneRestoresTheOthersVersion) {
  Server server;
  Computer first;
  writeFile(first.syncFolder() / "notes.txt", "first draft");
  first.signInAtLaunch(server, "ada", kAdaPassword);
  EXPECT_EQ(parseJson(readFile(first.config())).value_or(Json())["folder"],
            first.syncFolder().string());
  ASSERT_GT(first.workerPid(), 0);
  first.waitForSync();
  EXPECT_EQ(first.symbol(), "checkmark.icloud");

  // The second computer signs in with the connection file opened with the app.
  Computer second("Second Computer");
  second.expectSignIn("ada", kAdaPassword);
  second.launch();
  second.app->applicationOpen({server.connection});
  second.fake.loop.runUntilIdle();
  second.waitForSync();
  EXPECT_EQ(second.symbol(), "checkmark.icloud");
  writeFile(second.syncFolder() / "notes.txt", "second draft");
  ASSERT_TRUE(second.pass());

  // The first computer's history lists both versions, newest first, and restores
  // the older one.
  first.fake.ui.expect({A, "Restore a file version", "", {}, 1});
  first.fake.ui.expect({A, "Version restored"});
  first.fake.ui.choose("Version History…");
  first.fake.loop.runUntilIdle();
  const auto& alerts = first.fake.ui.alerts;
  const auto restore = std::find_if(alerts.begin(), alerts.end(), [](const Alert& alert) {
    return alert.messageText == "Restore a file version";
  });
  ASSERT_NE(restore, alerts.end());
  const std::vector<std::string>& versions = restore->accessory->fields.at(0).items;
  ASSERT_EQ(versions.size(), 2u);
  for (const auto& [label, device] :
       {std::pair(versions[0], "SecondComputer"), std::pair(versions[1], "TestComputer")}) {
    EXPECT_TRUE(label.starts_with("notes.txt — ") && label.ends_with(std::string(" — ") + device))
        << label;
  }
  EXPECT_GT(first.workerPid(), 0);
}

TEST(StandInEngine, AUserTheAdministratorCreatesSignsInElsewhereAndAnInvitationPairs) {
  Server server;
  Computer admin;
  admin.signInAtLaunch(server, "ada", kAdaPassword);
  admin.waitForSync();
  admin.fake.ui.expect({A,
                        "Create a private user account",
                        "",
                        {{1, "bob"}, {3, "Bob"}, {5, kBobPassword}, {7, kBobPassword}}});
  admin.fake.ui.expect({A, "Account created"});
  admin.fake.ui.choose("Create User…");
  admin.fake.loop.runUntilIdle();

  Computer bob;
  bob.signInAtLaunch(server, "bob", kBobPassword);
  bob.waitForSync();
  EXPECT_EQ(bob.symbol(), "checkmark.icloud");

  Computer laptop;
  laptop.connectAtLaunch("Use Pairing Invitation", [&] {
    laptop.fake.ui.expect({P, "", server.invite("ada")});
    laptop.fake.ui.expect({P, "", laptop.syncFolder()});
    laptop.fake.ui.expect({A, "Ready to sync"});
  });
  Json config = parseJson(readFile(laptop.config())).value_or(Json());
  EXPECT_EQ(config["invitation"]["account"]["username"], "ada");
  laptop.waitForSync();
  EXPECT_EQ(laptop.symbol(), "checkmark.icloud");

  // A new password signs the laptop out until it signs in again with it.
  admin.fake.ui.expect({A, "Ada", "Change Password…"});
  admin.fake.ui.expect(
      {A, "Change your password", "", {{3, kAdaPassword}, {5, kNewPassword}, {7, kNewPassword}}});
  admin.fake.ui.expect({A, "Account updated"});
  admin.fake.ui.choose("Account…");
  admin.fake.loop.runUntilIdle();
  EXPECT_FALSE(laptop.pass());
  laptop.fake.loop.advance(2.0);
  EXPECT_EQ(laptop.symbol(), "exclamationmark.icloud");
  laptop.fake.ui.expect({A, "Sign in again", "Sign In", {{0, "ada"}, {1, kNewPassword}}});
  laptop.fake.ui.expect({A, "Signed in"});
  laptop.fake.ui.choose("Sign In Again…");
  laptop.fake.loop.runUntilIdle();
  EXPECT_TRUE(laptop.pass());
}

}  // namespace
}  // namespace quorvane::testing
