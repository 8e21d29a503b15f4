#include <gtest/gtest.h>

#include "onboarding/device_name.h"
#include "onboarding/onboarding_flows.h"
#include "support/flow_run.h"

namespace quorvane::testing {
namespace {

const std::string kChooser = "Connect this computer", kSignIn = "Sign in to Quorvane",
                  kServer = "Choose the server connection file",
                  kInvitation = "Choose this computer’s pairing invitation",
                  kFolder = "Choose your private sync folder",
                  kPairFolder = "Choose the folder to keep in sync";
const std::string kOwnFile = "{bundle}/Contents/Resources/Quorvane Home.quorvane-server";
const std::string kTail = " --folder {folder} --config {config}";
const std::string kUsername = "  ada ", kPassword = " pass word ";  // as typed, spaces kept

const Step credentials{A, kSignIn, "Sign In", {{0, kUsername}, {1, kPassword}}},
    folder{P, kFolder, "{folder}"}, server{P, kServer, "{dir}/server"},
    invitation{P, kInvitation, "{dir}/invitation"}, pairFolder{P, kPairFolder, "{folder}"};
// What login and pair do when they succeed: a configuration naming the folder.
void configure(const ScriptedEngine::Run& run) {
  auto after = [&run](const std::string& option) {
    auto at = std::find(run.arguments.begin(), run.arguments.end(), option);
    return at + 1 < run.arguments.end() ? at[1] : "";
  };
  writeFile(after("--config"), Json{{"folder", after("--folder")}}.dump());
}

Json request(const std::string& device) {
  return {{"username", kUsername}, {"password", kPassword}, {"device", device}};
}

enum Begin { signInNone, signInOwnFile, signInGiven, pair, pairGiven };

// Each flow asks in its fixed order, sends nothing until every answer is in, ends
// silently on a cancel, and on success starts the watch before its alert.
TEST(Connecting, SignInAndPairingAskInOrderAndSendOnlyCompleteAnswers) {
  const Json sent = request("TestComputer");
  const std::string login = "login --profile {dir}/server" + kTail,
                    pairing = "pair --invitation {dir}/invitation" + kTail;
  const struct {
    Begin begin;
    bool succeeds;
    FlowCase flow;
  } cases[] = {
      // clang-format off
      {signInOwnFile, true, {"own file", {}, {credentials, folder, {A, "Signed in +watch"}},
        {"login --profile " + kOwnFile + kTail}, sent,
        "This computer will now synchronise your private files."}},
      {signInGiven, false, {"given file", {}, {credentials, folder, {A, "Could not sign in"}},
        {login}, sent, "bad\n"}},
      {signInNone, true, {"panel", {}, {server, credentials, folder, {A, "Signed in +watch"}},
        {login}, sent}},
      {signInNone, true, {"cancel the server file", {}, {{P, kServer}}}},
      {signInOwnFile, true, {"cancel the credentials", {}, {{A, kSignIn, "Cancel"}}}},
      {signInOwnFile, true, {"cancel the folder", {}, {credentials, {P, kFolder}}}},
      {pair, true, {"pair", {}, {invitation, pairFolder, {A, "Ready to sync +watch"}}, {pairing},
        Json()}},
      {pairGiven, false, {"pair given file", {}, {pairFolder, {A, "Could not pair this computer"}},
        {pairing}, Json(), "bad\n"}},
      {pair, true, {"cancel the invitation", {}, {{P, kInvitation}}}},
      {pairGiven, true, {"cancel the pairing folder", {}, {{P, kPairFolder}}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    AppHarness h;
    if (c.begin == signInOwnFile || c.begin == signInGiven) writeFile(expandPaths(h, kOwnFile), "");
    for (const char* command : {"login", "pair"}) {
      if (c.succeeds) h.engine->reply(command, {0, ""}, configure);
      if (!c.succeeds) h.engine->reply(command, {1, "bad\n"});
    }
    runFlow(h, c.flow, [&] {
      if (c.begin == signInGiven) signIn(h.flows(), h.dir / "server");
      if (c.begin == signInNone || c.begin == signInOwnFile) signIn(h.flows(), std::nullopt);
      if (c.begin == pairGiven) setupInvitation(h.flows(), h.dir / "invitation");
      if (c.begin == pair) setupInvitation(h.flows(), std::nullopt);
    });
    for (const OpenPanel& panel : h.fake.ui.openPanels) {
      const bool folders = panel.title == kFolder || panel.title == kPairFolder;
      using Choice = std::tuple<bool, bool, bool, bool, std::optional<std::filesystem::path>>;
      EXPECT_EQ(Choice(panel.canChooseFiles, panel.canChooseDirectories, panel.canCreateDirectories,
                       panel.allowsMultipleSelection, panel.directory),
                folders ? Choice(false, true, true, false, h.dir.path())
                        : Choice(true, false, false, false, std::nullopt))
          << c.flow.name;
    }
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
      {"launch, the menu's chooser", launched, menu, {}, {{A, kChooser, "Cancel", {}, -1, 3}}},
      {"launch, server file", launched, opened, serverFile, {{A, kSignIn, "Cancel", {}, -1, 3}}},
      {"launch, other file", launched, opened, otherFile, {{P, kPairFolder, "", {}, -1, 3}}},
  };
  for (const auto& c : cases) {
    AppHarness h;
    if (c.given == configured || c.given == configuredAndBusy) h.configure();
    // A command whose result is still to be delivered keeps the application busy.
    const bool running = c.given == busy || c.given == configuredAndBusy;
    runFlow(h,
            {c.name,
             {},
             c.steps,
             running ? std::vector<std::string>{"account-info"} : std::vector<std::string>{}},
            [&] {
              if (running) h.app->run({"account-info"}, std::nullopt, {});
              if (c.given == launched) h.launch();
              if (c.entry == menu) setupAction(h.flows());
              if (c.entry == chooserWithFile) setup(h.flows(), c.files.front());
              if (c.entry == opened) h.app->applicationOpen(c.files);
              h.fake.loop.advance(10.0);
            });
    EXPECT_EQ(h.fake.ui.activations, int(c.steps.size())) << c.name;
  }
}

// The watch stays stopped and the engine busy from the question until the result
// has been read, then runs again unless paused; while a command runs nothing
// happens.
TEST(Connecting, SigningInAgainHoldsTheWatchStoppedUntilTheResultIsRead) {
  const std::string ask = "Sign in again +busy", relogin = "relogin --config {config}";
  const Step signIn{A, ask, "Sign In", credentials.typed};
  const std::vector<std::pair<std::string, EngineResult>> expired = {{"relogin", {3, "expired\n"}}};
  const Json sent = request("BroMac2");
  const struct {
    bool paused, busy;
    FlowCase flow;
  } cases[] = {
      // clang-format off
      {false, false, {"Cancel", {}, {{A, ask, "Cancel"}}}},
      {false, false, {"signed in", {}, {signIn, {A, "Signed in +busy"}}, {relogin}, sent,
        "This computer will resume synchronising the same account and folder."}},
      {false, false, {"refused", expired, {signIn, {A, "Could not sign in +busy"}}, {relogin}, sent,
        "expired\n"}},
      {true, false, {"paused, Cancel", {}, {{A, ask, "Cancel"}}}},
      {true, false, {"paused, refused", expired, {signIn, {A, "Could not sign in +busy"}},
        {relogin}}},
      {false, true, {"while a command runs", {}, {}, {"account-info"}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    AppHarness h;
    h.fake.system.hostName = "Büro-Mac 2";
    h.configure();
    h.launch();
    const int before = h.workerPid();
    runFlow(h, c.flow, [&] {
      if (c.paused) h.app->togglePause();
      if (c.busy) h.app->run({"account-info"}, std::nullopt, {});
      signInAgain(h.flows());
    });
    EXPECT_EQ(h.workerPid() == -1, c.paused) << c.flow.name;
    EXPECT_EQ(h.workerPid() == before, c.busy)
        << c.flow.name << ": a new watch unless never stopped";
  }
}

TEST(DeviceName, KeepsSingleAsciiLettersAndDigitsUpTo24ElseComputer) {
  const struct {
    std::optional<std::string> host;
    std::string expected;
  } cases[] = {
      {"B\u00fcro-Mac 2", "BroMac2"},   // ü precomposed
      {"Bu\u0308ro-Mac 2", "BroMac2"},  // u and a combining diaeresis: one character
      {"\u00c5\u00e4\u00f6 \u65e5\u672c \U0001F600\U0001F1E9\U0001F1EA", "Computer"},
      {"abcdefghijklmnopqrstuvwxyzABCD", "abcdefghijklmnopqrstuvwx"},
      {"a b-c'd\r\ne\t1\uFF12", "abcde1"},  // CR LF is one character, neither; fullwidth 2
      {"", "Computer"},
      {std::nullopt, "Computer"},
  };
  for (const auto& c : cases) EXPECT_EQ(deviceName(c.host), c.expected) << c.host.value_or("none");
}

}  // namespace
}  // namespace quorvane::testing
