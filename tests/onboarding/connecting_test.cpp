#include <gtest/gtest.h>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

const std::string kChooser = "Connect this Mac", kSignIn = "Sign in to Quorvane",
                  kServer = "Choose the server connection file",
                  kInvitation = "Choose this Mac’s pairing invitation",
                  kFolder = "Choose your private sync folder",
                  kPairFolder = "Choose the folder to keep in sync";
const std::string kUsername = "  ada ", kPassword = " pass word ";  // typed in every sign-in

// A dialog the person expects: an alert by its message text, answered with a
// button (none: the first), or a panel by its title, answered with a path by name
// (none: Cancel). A suffix " +busy" or " +watch" is the state the application must
// be in while it is up; without one it is neither.
struct Step {
  enum Kind { alert, panel } kind;
  std::string dialog;
  std::string answer = {};
  double thinkSeconds = 0;
};
constexpr Step::Kind A = Step::alert, P = Step::panel;
const Step credentials{A, kSignIn, "Sign In"}, folder{P, kFolder, "folder"},
    server{P, kServer, "server"}, invitation{P, kInvitation, "invitation"},
    pairFolder{P, kPairFolder, "folder"};

std::filesystem::path pathOf(const AppHarness& h, const std::string& name) {
  if (name == "folder") return h.syncFolder();
  if (name == "own")
    return h.bundle.directory() / "Contents/Resources/Quorvane Home.quorvane-server";
  return h.dir / name;
}

void expectSteps(AppHarness& h, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    const std::size_t suffix = std::min(step.dialog.find(" +"), step.dialog.size());
    const std::string dialog = step.dialog.substr(0, suffix);
    auto check = [&h, step, dialog, state = step.dialog.substr(suffix)] {
      EXPECT_EQ(std::string(h.app->busy() ? " +busy" : "") + (h.app->worker() ? " +watch" : ""),
                state)
          << "while \"" << dialog << "\" was up";
      if (step.kind == Step::panel) {
        EXPECT_EQ(h.fake.ui.openPanels.back().title, dialog);
      }
    };
    if (step.kind == Step::panel) {
      PanelAnswer& answer = h.fake.ui.person.expectOpenPanel().whileShown(check);
      answer.thinkFor(step.thinkSeconds);
      if (!step.answer.empty()) answer.choose(pathOf(h, step.answer));
      continue;
    }
    AlertAnswer& answer = h.fake.ui.person.expectAlert(dialog).whileShown(check);
    answer.thinkFor(step.thinkSeconds);
    if (!step.answer.empty()) answer.press(step.answer);
    if (dialog == kSignIn || dialog == "Sign in again")
      answer.type(0, kUsername).type(1, kPassword);
  }
}

// What the flows sent: the engine's runs other than watch.
std::vector<FakeEngineBundle::Run> commands(const AppHarness& h) {
  std::vector<FakeEngineBundle::Run> runs = h.bundle.journal();
  std::erase_if(runs, [](const auto& run) { return run.arguments.at(0) == "watch"; });
  return runs;
}

enum Begin { signIn, signInOwnFile, signInFileGiven, pair, pairFileGiven };

// Each flow asks in its fixed order, sends nothing until every answer is in, ends
// silently on a cancel, and on success starts the watch before its alert.
TEST(Connecting, SignInAndPairingAskInOrderAndSendOnlyCompleteAnswers) {
  const struct {
    const char* name;
    Begin begin;
    std::vector<Step> steps;
    std::string sent;  // the file named to the engine; empty: nothing sent
  } cases[] = {
      {"own file", signInOwnFile, {credentials, folder, {A, "Signed in +watch"}}, "own"},
      {"given file", signInFileGiven, {credentials, folder, {A, "Could not sign in"}}, "server"},
      {"panel", signIn, {server, credentials, folder, {A, "Signed in +watch"}}, "server"},
      {"cancel the server file", signIn, {{P, kServer}}, ""},
      {"cancel the credentials", signInOwnFile, {{A, kSignIn, "Cancel"}}, ""},
      {"cancel the folder", signInOwnFile, {credentials, {P, kFolder}}, ""},
      {"pair", pair, {invitation, pairFolder, {A, "Ready to sync +watch"}}, "invitation"},
      {"pair given file",
       pairFileGiven,
       {pairFolder, {A, "Could not pair this Mac"}},
       "invitation"},
      {"cancel the invitation", pair, {{P, kInvitation}}, ""},
      {"cancel the pairing folder", pairFileGiven, {{P, kPairFolder}}, ""},
  };
  const std::map<std::string, std::string> told = {
      {"Signed in", "This Mac will now synchronise your private files."},
      {"Ready to sync",
       "This folder will synchronise whenever Quorvane Home is reachable on your local network. "
       "You can enable Start at Login in the menu."},
      {"Could not sign in", "bad password\n"},
      {"Could not pair this Mac", "bad password\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppHarness h;
    const bool pairing = c.begin == pair || c.begin == pairFileGiven;
    if (c.begin == signInOwnFile || c.begin == signInFileGiven) writeFile(pathOf(h, "own"), "");
    const bool refused = c.steps.back().dialog.starts_with("Could not");
    h.bundle.setBehaviour(
        refused ? R"({"*": {"stdout": "bad password\n", "exit_code": 1}})"
                : R"({"*": {"write_files": {"{--config}": {"folder": "{--folder}"}}}})");
    expectSteps(h, c.steps);
    if (c.begin == signInFileGiven) h.app->signIn(pathOf(h, "server"));
    if (c.begin == signIn || c.begin == signInOwnFile) h.app->signIn(std::nullopt);
    if (c.begin == pairFileGiven) h.app->setupInvitation(pathOf(h, "invitation"));
    if (c.begin == pair) h.app->setupInvitation(std::nullopt);
    h.fake.loop.runUntilIdle();

    for (const OpenPanel& panel : h.fake.ui.openPanels) {
      const bool folders = panel.title == kFolder || panel.title == kPairFolder;
      using Choice = std::tuple<bool, bool, bool, bool, std::optional<std::filesystem::path>>;
      EXPECT_EQ(Choice(panel.canChooseFiles, panel.canChooseDirectories, panel.canCreateDirectories,
                       panel.allowsMultipleSelection, panel.directory),
                folders ? Choice(false, true, true, false, h.dir.path())
                        : Choice(true, false, false, false, std::nullopt));
    }
    EXPECT_FALSE(h.app->busy());
    const auto sent = commands(h);
    ASSERT_EQ(sent.size(), c.sent.empty() ? 0u : 1u);
    if (sent.empty()) continue;
    const Alert& result = h.fake.ui.alerts.back();
    EXPECT_EQ(result.informativeText, told.at(result.messageText));
    const std::vector<std::string> arguments{pairing ? "pair" : "login",
                                             pairing ? "--invitation" : "--profile",
                                             pathOf(h, c.sent),
                                             "--folder",
                                             h.syncFolder(),
                                             "--config",
                                             h.app->config()};
    EXPECT_EQ(sent[0].arguments, arguments);
    const Json request{
        {"username", kUsername}, {"password", kPassword}, {"device", "TestComputer"}};
    EXPECT_EQ(sent[0].input, pairing ? "" : request.dump()) << "compact, all strings";
    EXPECT_TRUE(h.fake.system.logLines().empty());
  }
}

enum Given { fresh, configured, busy, configuredAndBusy, launched };
enum Entry { menu, chooserWithFile, opened };

// Every way in leads to the dialogs listed and no others, each brought to the
// front; each is cancelled, so nothing reaches the engine. A file opened at launch
// runs its own flow instead of the delayed chooser, however long the person thinks.
TEST(Connecting, TheChooserAndOpenedFilesLeadToTheirFlowOrNowhere) {
  const std::vector<std::filesystem::path> serverFile{"/s.quorvane-server"}, otherFile{"/i"};
  const struct {
    const char* name;
    Given given;
    Entry entry;
    std::vector<std::filesystem::path> files;
    std::vector<Step> steps;
  } cases[] = {
      {"Cancel", fresh, menu, {}, {{A, kChooser, "Cancel"}}},
      {"Sign In", fresh, menu, {}, {{A, kChooser, "Sign In"}, {P, kServer}}},
      {"invitation", fresh, menu, {}, {{A, kChooser, "Use Pairing Invitation"}, {P, kInvitation}}},
      {"configured", configured, menu, {}, {}},
      {"busy", busy, menu, {}, {}},
      {"a file pairs", configured, chooserWithFile, otherFile, {{A, "Already paired"}}},
      {"no files", fresh, opened, {}, {}},
      {"first only", fresh, opened, {serverFile[0], "/i"}, {{A, kSignIn, "Cancel"}}},
      {"case counts", fresh, opened, {"/s.QUORVANE-SERVER", serverFile[0]}, {{P, kPairFolder}}},
      {"server file, configured", configured, opened, serverFile, {}},
      {"server file, busy", busy, opened, serverFile, {}},
      {"other file, configured", configured, opened, otherFile, {{A, "Already paired"}}},
      {"other file, configured, busy", configuredAndBusy, opened, otherFile, {}},
      {"launch, no file", launched, opened, {}, {{A, kChooser, "Cancel"}}},
      {"launch, server file", launched, opened, serverFile, {{A, kSignIn, "Cancel", 3}}},
      {"launch, other file", launched, opened, otherFile, {{P, kPairFolder, "", 3}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppHarness h;
    if (c.given == configured || c.given == configuredAndBusy) h.configure();
    // A command whose result is still to be delivered keeps the application busy.
    const bool running = c.given == busy || c.given == configuredAndBusy;
    if (running) h.app->run({"account-info"}, std::nullopt, {});
    expectSteps(h, c.steps);
    if (c.given == launched) h.launch();
    if (c.entry == menu) h.app->setupAction();
    if (c.entry == chooserWithFile) h.app->setup(c.files.front());
    if (c.entry == opened) h.app->applicationOpen(c.files);
    h.fake.loop.advance(10.0);
    EXPECT_EQ(h.fake.ui.activations, int(c.steps.size()));
    h.fake.loop.runUntilIdle();
    EXPECT_EQ(commands(h).size(), running ? 1u : 0u);
  }
}

// The watch stays stopped from the question until the result has been read, then
// runs again unless paused; while another command runs nothing happens.
TEST(Connecting, SigningInAgainHoldsTheWatchStoppedUntilTheResultIsRead) {
  const std::string ask = "Sign in again +busy";
  const std::vector<Step> cancel{{A, ask, "Cancel"}},
      signedIn{{A, ask, "Sign In"}, {A, "Signed in"}},
      refused{{A, ask, "Sign In"}, {A, "Could not sign in"}};
  const std::map<std::string, std::string> told{
      {"Signed in", "This Mac will resume synchronising the same account and folder."},
      {"Could not sign in", "expired\n"}};
  const struct {
    const char* name;
    bool paused, busy;
    std::vector<Step> steps;
  } cases[] = {
      {"Cancel", false, false, cancel},          {"signed in", false, false, signedIn},
      {"refused", false, false, refused},        {"paused, Cancel", true, false, cancel},
      {"paused, refused", true, false, refused}, {"while a command runs", false, true, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppHarness h;
    h.fake.system.hostName = "Büro-Mac 2";
    h.configure();
    h.launch();
    const int before = h.workerPid();
    if (c.paused) h.app->togglePause();
    if (c.busy) h.app->run({"account-info"}, std::nullopt, {});
    const std::string result = c.steps.size() == 2 ? c.steps[1].dialog : "";
    if (result == "Could not sign in") {
      h.bundle.setBehaviour(R"({"relogin": {"stdout": "expired\n", "exit_code": 3}})");
    }
    expectSteps(h, c.steps);
    h.app->signInAgain();
    h.fake.loop.runUntilIdle();

    EXPECT_FALSE(h.app->busy());
    EXPECT_EQ(h.workerPid() == -1, c.paused);
    EXPECT_EQ(h.workerPid() == before, c.busy) << "a new watch unless never stopped";
    std::vector<FakeEngineBundle::Run> sent = commands(h);
    if (c.busy) sent.erase(sent.begin());
    ASSERT_EQ(sent.size(), result.empty() ? 0u : 1u);
    if (sent.empty()) continue;
    EXPECT_EQ(h.fake.ui.alerts.back().informativeText, told.at(result));
    EXPECT_EQ(sent[0].arguments,
              (std::vector<std::string>{"relogin", "--config", h.app->config()}));
    const Json request{{"username", kUsername}, {"password", kPassword}, {"device", "BroMac2"}};
    EXPECT_EQ(sent[0].input, request.dump());
  }
}

}  // namespace
}  // namespace quorvane::testing
