#include <gtest/gtest.h>

#include <tuple>

#include "onboarding/flow_steps.h"

namespace quorvane::testing {
namespace {

constexpr Step::Kind A = Step::alert, P = Step::panel;

bool anyFileHolds(const std::filesystem::path& dir, const std::string& text) {
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file() && readFile(entry.path()).find(text) != std::string::npos) {
      return true;
    }
  }
  return false;
}

enum Begin { signIn, signInOwnFile, signInFileGiven, pair, pairFileGiven };

// Each flow asks in its fixed order, sends nothing until every answer is in, and
// ends on a cancel without a word; a result alert comes after start() in success.
TEST(Connect, SignInAndPairingAskInOrderAndSendOnlyCompleteAnswers) {
  const struct {
    const char* name;
    Begin begin;
    std::vector<Step> steps;
    std::string sent;  // the file named to the engine; empty: nothing sent
  } cases[] = {
      {"own file",
       signInOwnFile,
       {{A, kSignIn, "Sign In"}, {P, kFolder, "{folder}"}, {A, "Signed in +watch"}},
       "{own}"},
      {"given file wins",
       signInFileGiven,
       {{A, kSignIn, "Sign In"}, {P, kFolder, "{folder}"}, {A, "Could not sign in"}},
       "{server}"},
      {"panel",
       signIn,
       {{P, kServer, "{server}"},
        {A, kSignIn, "Sign In"},
        {P, kFolder, "{folder}"},
        {A, "Signed in +watch"}},
       "{server}"},
      {"cancel the server file", signIn, {{P, kServer}}, ""},
      {"cancel the credentials", signInOwnFile, {{A, kSignIn, "Cancel"}}, ""},
      {"cancel the folder", signInOwnFile, {{A, kSignIn, "Sign In"}, {P, kFolder}}, ""},
      {"pair",
       pair,
       {{P, kInvitation, "{invitation}"},
        {P, kPairFolder, "{folder}"},
        {A, "Ready to sync +watch"}},
       "{invitation}"},
      {"pair given file",
       pairFileGiven,
       {{P, kPairFolder, "{folder}"}, {A, "Could not pair this Mac"}},
       "{invitation}"},
      {"cancel the invitation", pair, {{P, kInvitation}}, ""},
      {"cancel the pairing folder", pairFileGiven, {{P, kPairFolder}}, ""},
  };
  const std::map<std::string, std::string> results = {
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
    if (c.begin == signInOwnFile || c.begin == signInFileGiven) {
      writeFile(expand(h, "{own}"), "the bundle's");
    }
    const bool refused = c.steps.back().dialog.starts_with("Could not");
    h.bundle.setBehaviour(
        refused ? R"({"*": {"stdout": "bad password\n", "exit_code": 1}})"
                : R"({"*": {"write_files": {"{--config}": {"folder": "{--folder}"}}}})");
    expectSteps(h, c.steps);
    if (c.begin == signInFileGiven) h.app->signIn(expand(h, "{server}"));
    if (c.begin == signIn || c.begin == signInOwnFile) h.app->signIn(std::nullopt);
    if (c.begin == pairFileGiven) h.app->setupInvitation(expand(h, "{invitation}"));
    if (c.begin == pair) h.app->setupInvitation(std::nullopt);
    h.fake.loop.runUntilIdle();

    for (const OpenPanel& panel : h.fake.ui.openPanels) {
      const bool folder = panel.title == kFolder || panel.title == kPairFolder;
      using Choice = std::tuple<bool, bool, bool, bool, std::optional<std::filesystem::path>>;
      EXPECT_EQ(Choice(panel.canChooseFiles, panel.canChooseDirectories, panel.canCreateDirectories,
                       panel.allowsMultipleSelection, panel.directory),
                folder ? Choice(false, true, true, false, h.dir.path())
                       : Choice(true, false, false, false, std::nullopt))
          << panel.title;
    }
    for (const Alert& alert : h.fake.ui.alerts) {
      if (results.contains(alert.messageText)) {
        EXPECT_EQ(alert.informativeText, results.at(alert.messageText));
      }
    }
    EXPECT_GT(h.fake.ui.activations, 0);
    EXPECT_FALSE(h.app->busy());
    const auto sent = commands(h);
    ASSERT_EQ(sent.size(), c.sent.empty() ? 0u : 1u);
    if (sent.empty()) continue;
    const std::vector<std::string> arguments{pairing ? "pair" : "login",
                                             pairing ? "--invitation" : "--profile",
                                             expand(h, c.sent),
                                             "--folder",
                                             h.syncFolder(),
                                             "--config",
                                             h.app->config()};
    EXPECT_EQ(sent[0].arguments, arguments);
    EXPECT_EQ(h.app->worker() != nullptr, !refused);
    if (pairing) {
      EXPECT_EQ(sent[0].input, "") << "standard input at its end at once";
      continue;
    }
    const Json request{
        {"username", kUsername}, {"password", kPassword}, {"device", "TestComputer"}};
    EXPECT_EQ(parseJson(sent[0].input.value_or("")), request);
    EXPECT_EQ(sent[0].input, request.dump()) << "compact";
    EXPECT_FALSE(anyFileHolds(h.dir.path(), kPassword)) << "the password went to no file";
    EXPECT_TRUE(h.fake.system.logLines().empty());
  }
}

}  // namespace
}  // namespace quorvane::testing
