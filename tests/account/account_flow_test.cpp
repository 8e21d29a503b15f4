#include <gtest/gtest.h>

#include "support/flow_trace.h"

namespace quorvane::testing {
namespace {

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

std::string failing(const std::string& command, const std::string& text) {
  return Json{{command, {{"stderr", text}, {"exit_code", 3}}}}.dump();
}

// Both ask the engine afresh with the watch stopped; "Account…" replaces the account
// only by a successful load, "Create User…" never; only true makes an administrator.
TEST(AccountFlows, LoadTheDetailsAndChangeTheSignInOrCreateAUserWithTheWatchHeldStopped) {
  const Json full = {
      {"username", "ana"}, {"display_name", "Ana Example"}, {"password_set", true}, {"admin", 1}};
  const Json admin = {{"username", "root"}, {"admin", true}};
  const Json fromConfig = {{"username", "from-config"}};
  const std::string account = "Account…", create = "Create User…";
  const Step changeOffered = {A, "Ana Example +busy", "Change Password…"};
  const std::string form = "Create a private user account +busy";
  const Step filled = {A, form, "", {{3, "Bob B."}, {5, kGood}, {7, kGood}}};
  const struct {
    std::string menu;
    FlowCase flow;
    Json accountAfter = {{"username", "from-config"}};
  } cases[] = {
      {account,
       {"the engine fails",
        failing("account-info", "unreachable\n"),
        {{A, "Could not load account"}},
        {kInfo},
        std::nullopt,
        "unreachable\n"}},
      {account,
       {"Done sends nothing more", engine(full), {{A, "Ana Example +busy", "Done"}}, {kInfo}},
       full},
      {account,
       {"setting up sign-in: no current password, username \"owner\", no display name",
        engine(Json::object()),
        {{A, "Your account +busy", "Set Up Sign-In…"},
         {A, "Set up your account +busy", "", {{3, kGood}, {5, kGood}}},
         {A, "Account updated"}},
        {kInfo, kPassword},
        request("owner", "", "")},
       Json::object()},
      {account,
       {"the engine refuses the change",
        engine(full, {{"stdout", "wrong password"}, {"exit_code", 1}}),
        {changeOffered,
         {A, "Change your password +busy", "", {{1, "ana2"}, {3, "old"}, {5, kGood}, {7, kGood}}},
         {A, "Could not update account"}},
        {kInfo, kPassword},
        request("ana2", "", "old"),
        "wrong password"},
       full},
      {account,
       {"passwords differ",
        engine(full),
        {changeOffered,
         {A, "Change your password +busy", "", {{5, "short"}, {7, "shorter"}}},
         {A, "Passwords differ +busy"}},
        {kInfo}},
       full},
      {create,
       {"an administrator creates a user",
        engine(admin),
        {filled, {A, "Account created"}},
        {kInfo, kCreate},
        request("", "Bob B.", "")}},
      {create,
       {"not an administrator",
        engine({{"admin", "true"}}),
        {{A, "Administrator access needed"}},
        {kInfo}}},
      {create,
       {"the load fails",
        failing("account-info", "no server"),
        {{A, "Could not load account"}},
        {kInfo},
        std::nullopt,
        "no server"}},
      {create,
       {"the engine refuses",
        engine(admin, {{"stdout", "name taken"}, {"exit_code", 4}}),
        {filled, {A, "Could not create account"}},
        {kInfo, kCreate},
        std::nullopt,
        "name taken"}},
      {create, {"cancelled", engine(admin), {{A, form, "Cancel"}}, {kInfo}}},
      {create,
       {"11 bytes refused",
        engine(admin),
        {{A, form, "", {{5, "abcdefghijk"}, {7, "abcdefghijk"}}},
         {A, "Use a longer password +busy"}},
        {kInfo}}},
  };
  for (const auto& c : cases) {
    AppHarness h;
    configureWithAccount(h, fromConfig);
    expectFlow(h, c.menu, c.flow);
    EXPECT_EQ(h.app->account(), c.accountAfter) << c.flow.name;
  }
}

TEST(ExportServer, SavesThroughTheEngineWhileTheSameWatchKeepsRunning) {
  const std::string panel = "Export server connection +watch";
  const std::vector<FlowCase> cases = {
      {"success is silent",
       "",
       {{S, panel, "/tmp/Other name.txt"}},
       {"export-profile --config {config} --output /tmp/Other name.txt"}},
      {"failure shows the engine's text",
       failing("export-profile", "no certificate"),
       {{S, panel, "/tmp/Q.quorvane-server"}, {A, "Could not export +watch"}},
       {"export-profile --config {config} --output /tmp/Q.quorvane-server"},
       std::nullopt,
       "no certificate"},
      {"cancel runs nothing", "", {{S, panel}}},
  };
  for (const FlowCase& c : cases) {
    AppHarness h;
    if (!c.behaviour.empty()) h.bundle.setBehaviour(c.behaviour);
    h.configure();
    h.launch();
    const int watch = h.workerPid();
    runFlow(h, c, [&] { h.fake.ui.choose("Export Server Connection…"); });
    EXPECT_EQ(h.fake.ui.savePanels.at(0).nameFieldStringValue, "Quorvane Home.quorvane-server");
    EXPECT_EQ(h.workerPid(), watch) << c.name;
  }
}

}  // namespace
}  // namespace quorvane::testing
