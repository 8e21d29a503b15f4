#include <gtest/gtest.h>

#include "support/flow_trace.h"

namespace quorvane::testing {
namespace {

const std::vector<std::string> kAccountInfo = {"account-info", "--config", "{config}"};
const std::string kGoodPassword = "correct horse";

// A configuration naming the sync folder and an account.
void configureWithAccount(AppHarness& h, const Json& account) {
  std::filesystem::create_directories(h.syncFolder());
  h.writeConfig(
      Json{{"folder", h.syncFolder().string()}, {"invitation", {{"account", account}}}}.dump());
}

// What account-password or account-create should read: always the four members.
Json request(const std::string& username, const std::string& displayName,
             const std::string& currentPassword) {
  return {{"username", username},
          {"display_name", displayName},
          {"current_password", currentPassword},
          {"password", kGoodPassword}};
}

std::string engine(const Json& details, const Json& second = Json::object()) {
  return Json{{"account-info", {{"stdout", details.is_string() ? details : Json(details.dump())}}},
              {"account-password", second},
              {"account-create", second}}
      .dump();
}

TEST(ShowAccount, LoadsTheDetailsAndChangesTheSignInWithTheWatchHeldStopped) {
  const Json full = {
      {"username", "ana"}, {"display_name", "Ana Example"}, {"password_set", true}, {"admin", 1}};
  const std::vector<std::string> withPassword = {"account-password", "--config", "{config}"};
  const Json fromConfig = {{"username", "from-config"}};
  // The account is replaced only by a successful load, not by the password change.
  const struct {
    FlowCase flow;
    Json accountAfter;
  } cases[] = {
      {{"the engine fails",
        Json{{"account-info", {{"stderr", "server unreachable\n"}, {"exit_code", 3}}}}.dump(),
        dismissing({"Could not load account"}),
        {"Could not load account"},
        {kAccountInfo},
        std::nullopt,
        "server unreachable\n"},
       fromConfig},
      {{"success with text that is not JSON",
        engine("Traceback: no"),
        dismissing({"Could not load account"}),
        {"Could not load account"},
        {kAccountInfo},
        std::nullopt,
        "Traceback: no"},
       fromConfig},
      {{"success with JSON that is not an object",
        engine(Json::array({full})),
        dismissing({"Could not load account"}),
        {"Could not load account"},
        {kAccountInfo}},
       fromConfig},
      {{"Done sends nothing more",
        engine(full),
        [](ScriptedPerson& p) { p.expectAlert("Ana Example").press("Done"); },
        {"Ana Example +busy"},
        {kAccountInfo},
        std::nullopt,
        "Username: ana\n\nYour files are private to this account. You can sign in on other "
        "Macs with your username and password."},
       full},
      {{"setting up sign-in: no current password, username \"owner\", empty display name",
        engine(Json::object()),
        [](ScriptedPerson& p) {
          p.expectAlert("Your account").press("Set Up Sign-In…");
          p.expectAlert("Set up your account").type(3, kGoodPassword).type(5, kGoodPassword);
          p.expectAlert("Account updated");
        },
        {"Your account +busy", "Set up your account +busy", "Account updated"},
        {kAccountInfo, withPassword},
        request("owner", "", ""),
        "Your sign-in details are ready."},
       Json::object()},
      {{"changing the password, which the engine refuses",
        engine(full, {{"stdout", "wrong current password"}, {"exit_code", 1}}),
        [](ScriptedPerson& p) {
          p.expectAlert("Ana Example").press("Change Password…");
          p.expectAlert("Change your password")
              .type(1, "ana2")
              .type(3, "old secret")
              .type(5, kGoodPassword)
              .type(7, kGoodPassword);
          p.expectAlert("Could not update account");
        },
        {"Ana Example +busy", "Change your password +busy", "Could not update account"},
        {kAccountInfo, withPassword},
        request("ana2", "", "old secret"),
        "wrong current password"},
       full},
      {{"a form refused by its validation sends nothing",
        engine(full),
        [](ScriptedPerson& p) {
          p.expectAlert("Ana Example").press("Change Password…");
          p.expectAlert("Change your password").type(5, "short").type(7, "shorter");
          p.expectAlert("Passwords differ");
        },
        {"Ana Example +busy", "Change your password +busy", "Passwords differ +busy"},
        {kAccountInfo}},
       full},
      {{"a cancelled form sends nothing",
        engine(full),
        [](ScriptedPerson& p) {
          p.expectAlert("Ana Example").press("Change Password…");
          p.expectAlert("Change your password").type(5, kGoodPassword).press("Cancel");
        },
        {"Ana Example +busy", "Change your password +busy"},
        {kAccountInfo}},
       full},
  };
  for (const auto& c : cases) {
    AppHarness h;
    configureWithAccount(h, fromConfig);
    expectFlow(h, "Account…", c.flow);
    EXPECT_EQ(h.app->account(), c.accountAfter) << c.flow.name;
  }
}

TEST(CreateUser, AsksAFreshAccountInfoAndCreatesOnlyForAnAdministrator) {
  const Json admin = {{"username", "root"}, {"admin", true}};
  const std::vector<std::string> create = {"account-create", "--config", "{config}"};
  const std::string refusedText = "Ask your administrator to create the account.";
  const auto refused = dismissing({"Administrator access needed"});
  // The username left empty, a display name and a good password, then `next`.
  auto filledIn = [](std::string name, std::string next) {
    return [=](ScriptedPerson& p) {
      p.expectAlert("Create a private user account")
          .type(3, name)
          .type(5, kGoodPassword)
          .type(7, kGoodPassword);
      p.expectAlert(next);
    };
  };
  const std::vector<FlowCase> cases = {
      {"an administrator creates a user",
       engine(admin),
       filledIn("Bob B.", "Account created"),
       {"Create a private user account +busy", "Account created"},
       {kAccountInfo, create},
       request("", "Bob B.", ""),
       "Give the user their username and initial password privately. Install this app on their "
       "Mac and choose Sign In. They can change their password in Account."},
      {"\"admin\" false",
       engine({{"admin", false}}),
       refused,
       {"Administrator access needed"},
       {kAccountInfo},
       std::nullopt,
       refusedText},
      {"no \"admin\"",
       engine(Json::object()),
       refused,
       {"Administrator access needed"},
       {kAccountInfo}},
      {"\"admin\" a string",
       engine({{"admin", "true"}}),
       refused,
       {"Administrator access needed"},
       {kAccountInfo}},
      {"the load fails",
       Json{{"account-info", {{"stdout", "no server"}, {"exit_code", 1}}}}.dump(),
       dismissing({"Could not load account"}),
       {"Could not load account"},
       {kAccountInfo},
       std::nullopt,
       "no server"},
      {"the engine refuses",
       engine(admin, {{"stdout", "name taken"}, {"exit_code", 4}}),
       filledIn("Bob", "Could not create account"),
       {"Create a private user account +busy", "Could not create account"},
       {kAccountInfo, create},
       std::nullopt,
       "name taken"},
      {"a short password",
       engine(admin),
       [](ScriptedPerson& p) {
         p.expectAlert("Create a private user account").type(5, "abc").type(7, "abc");
         p.expectAlert("Use a longer password");
       },
       {"Create a private user account +busy", "Use a longer password +busy"},
       {kAccountInfo}},
      {"cancelled",
       engine(admin),
       [](ScriptedPerson& p) { p.expectAlert("Create a private user account").press("Cancel"); },
       {"Create a private user account +busy"},
       {kAccountInfo}},
  };
  const Json fromConfig = {{"username", "ana"}, {"admin", true}};
  for (const FlowCase& c : cases) {
    AppHarness h;
    configureWithAccount(h, fromConfig);
    expectFlow(h, "Create User…", c);
    EXPECT_EQ(h.app->account(), fromConfig) << c.name;
  }
}

TEST(ExportServer, SavesThroughTheEngineWhileTheSameWatchKeepsRunning) {
  const struct {
    const char* name;
    Json behaviour;
    std::optional<std::filesystem::path> chosen;
    std::vector<std::string> seen;
  } cases[] = {
      {"success is silent",
       Json::object(),
       "/tmp/Other name.txt",
       {"Export server connection +watch"}},
      {"failure shows the engine's text",
       {{"export-profile", {{"stderr", "no certificate"}, {"exit_code", 2}}}},
       "/tmp/Quorvane Home.quorvane-server",
       {"Export server connection +watch", "Could not export +watch"}},
      {"cancel runs nothing", Json::object(), std::nullopt, {"Export server connection +watch"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppHarness h;
    h.bundle.setBehaviour(c.behaviour.dump());
    h.configure();
    h.launch();
    const int watch = h.workerPid();
    PanelAnswer& panel = h.fake.ui.person.expectSavePanel();
    if (c.chosen) panel.choose(*c.chosen);
    if (c.seen.size() > 1) h.fake.ui.person.expectAlert("Could not export");
    FlowTrace trace(h);
    h.fake.ui.choose("Export Server Connection…");
    h.fake.loop.runUntilIdle();

    EXPECT_EQ(trace.seen(), c.seen);
    ASSERT_EQ(h.fake.ui.savePanels.size(), 1u);
    EXPECT_EQ(h.fake.ui.savePanels[0],
              (SavePanel{"Export server connection",
                         "This contains the server address and certificate, with no account "
                         "credentials. Share it with users who need to sign in.",
                         "Quorvane Home.quorvane-server", std::nullopt}));
    std::vector<std::vector<std::string>> commands;
    if (c.chosen) {
      commands.push_back({"export-profile", "--config", "{config}", "--output", *c.chosen});
    }
    EXPECT_EQ(trace.commandLines(), commands);
    if (c.seen.size() > 1) {
      EXPECT_EQ(h.fake.ui.alerts.back().informativeText, "no certificate");
    }
    EXPECT_FALSE(h.app->busy());
    EXPECT_EQ(h.workerPid(), watch);
  }
}

}  // namespace
}  // namespace quorvane::testing
