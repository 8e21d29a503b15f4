#include <gtest/gtest.h>

#include "support/flow_trace.h"

namespace quorvane::testing {
namespace {

constexpr bool busy = true;
const std::string kInfo = "account-info --config {config}";
const std::string kPassword = "account-password --config {config}";
const std::string kCreate = "account-create --config {config}";
const std::string kGood = "correct horse";

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
          {"password", kGood}};
}

// account-info prints `details` (as is when a string); the account change does `change`.
std::string engine(const Json& details, const Json& change = Json::object()) {
  return Json{{"account-info", {{"stdout", details.is_string() ? details : Json(details.dump())}}},
              {"account-password", change},
              {"account-create", change}}
      .dump();
}

TEST(ShowAccount, LoadsTheDetailsAndChangesTheSignInWithTheWatchHeldStopped) {
  const Json full = {
      {"username", "ana"}, {"display_name", "Ana Example"}, {"password_set", true}, {"admin", 1}};
  const Json fromConfig = {{"username", "from-config"}};
  const Step changeOffered = {"Ana Example", busy, "Change Password…"};
  // The account is replaced only by a successful load, not by the password change.
  const struct {
    FlowCase flow;
    Json accountAfter;
  } cases[] = {
      {{"the engine fails",
        Json{{"account-info", {{"stderr", "unreachable\n"}, {"exit_code", 3}}}}.dump(),
        {{"Could not load account"}},
        {kInfo},
        std::nullopt,
        "unreachable\n"},
       fromConfig},
      {{"Done sends nothing more",
        engine(full),
        {{"Ana Example", busy, "Done"}},
        {kInfo},
        std::nullopt,
        "Username: ana\n\nYour files are private to this account. You can sign in on other "
        "Macs with your username and password."},
       full},
      {{"setting up sign-in: no current password, username \"owner\", no display name",
        engine(Json::object()),
        {{"Your account", busy, "Set Up Sign-In…"},
         {"Set up your account", busy, "", {{3, kGood}, {5, kGood}}},
         {"Account updated"}},
        {kInfo, kPassword},
        request("owner", "", ""),
        "Your sign-in details are ready."},
       Json::object()},
      {{"the engine refuses the change",
        engine(full, {{"stdout", "wrong password"}, {"exit_code", 1}}),
        {changeOffered,
         {"Change your password", busy, "", {{1, "ana2"}, {3, "old"}, {5, kGood}, {7, kGood}}},
         {"Could not update account"}},
        {kInfo, kPassword},
        request("ana2", "", "old"),
        "wrong password"},
       full},
      {{"a form refused by its validation",
        engine(full),
        {changeOffered,
         {"Change your password", busy, "", {{5, "short"}, {7, "shorter"}}},
         {"Passwords differ", busy}},
        {kInfo}},
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
  const Step form = {
      "Create a private user account", busy, "", {{3, "Bob B."}, {5, kGood}, {7, kGood}}};
  const std::vector<FlowCase> cases = {
      {"an administrator creates a user",
       engine(admin),
       {form, {"Account created"}},
       {kInfo, kCreate},
       request("", "Bob B.", ""),
       "Give the user their username and initial password privately. Install this app on their "
       "Mac and choose Sign In. They can change their password in Account."},
      {"not an administrator",
       engine({{"admin", "true"}}),
       {{"Administrator access needed"}},
       {kInfo},
       std::nullopt,
       "Ask your administrator to create the account."},
      {"the load fails",
       Json{{"account-info", {{"stdout", "no server"}, {"exit_code", 1}}}}.dump(),
       {{"Could not load account"}},
       {kInfo},
       std::nullopt,
       "no server"},
      {"the engine refuses",
       engine(admin, {{"stdout", "name taken"}, {"exit_code", 4}}),
       {form, {"Could not create account"}},
       {kInfo, kCreate},
       std::nullopt,
       "name taken"},
      {"cancelled", engine(admin), {{"Create a private user account", busy, "Cancel"}}, {kInfo}},
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
    std::optional<std::string> failure;
  } cases[] = {
      {"success is silent", Json::object(), "/tmp/Other name.txt", std::nullopt},
      {"failure shows the engine's text",
       {{"export-profile", {{"stderr", "no certificate"}, {"exit_code", 2}}}},
       "/tmp/Quorvane Home.quorvane-server",
       "no certificate"},
      {"cancel runs nothing", Json::object(), std::nullopt, std::nullopt},
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
    std::vector<std::string> seen = {"Export server connection +watch"};
    if (c.failure) {
      h.fake.ui.person.expectAlert("Could not export");
      seen.push_back("Could not export +watch");
    }
    FlowTrace trace(h);
    h.fake.ui.choose("Export Server Connection…");
    h.fake.loop.runUntilIdle();

    EXPECT_EQ(trace.seen(), seen);
    EXPECT_EQ(h.fake.ui.savePanels.at(0),
              (SavePanel{"Export server connection",
                         "This contains the server address and certificate, with no account "
                         "credentials. Share it with users who need to sign in.",
                         "Quorvane Home.quorvane-server", std::nullopt}));
    std::vector<std::string> commands;
    if (c.chosen)
      commands.push_back("export-profile --config {config} --output " + c.chosen->string());
    EXPECT_EQ(trace.commandLines(), commands);
    std::optional<std::string> shown;
    if (!h.fake.ui.alerts.empty()) shown = h.fake.ui.alerts.back().informativeText;
    EXPECT_EQ(shown, c.failure);
    EXPECT_FALSE(h.app->busy());
    EXPECT_EQ(h.workerPid(), watch);
  }
}

}  // namespace
}  // namespace quorvane::testing
