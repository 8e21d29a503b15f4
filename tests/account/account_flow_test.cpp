#include <gtest/gtest.h>

#include "support/flow_run.h"

namespace quorvane::testing {
namespace {

const std::string kInfo = "account-info --config {config}";
const std::string kPassword = "account-password --config {config}";
const std::string kCreate = "account-create --config {config}";
const std::string kGood = "correct horse";

// What account-password or account-create should read: always the four members.
Json request(const std::string& username, const std::string& displayName,
             const std::string& currentPassword) {
  return {{"username", username},
          {"display_name", displayName},
          {"current_password", currentPassword},
          {"password", kGood}};
}

// account-info prints `details`; the account change answers `change`.
std::vector<std::pair<std::string, EngineResult>> engine(const Json& details,
                                                         EngineResult change = {0, ""}) {
  return {{"account-info", {0, details.dump()}},
          {"account-password", change},
          {"account-create", change}};
}

// Both ask the engine afresh with the engine held alone to the end; "Account…"
// replaces the account only by a successful load, "Create User…" never; only true
// makes an administrator.
TEST(AccountFlows, LoadTheDetailsAndChangeTheSignInOrCreateAUserWithTheEngineHeld) {
  const Json full = {
      {"username", "ana"}, {"display_name", "Ana Example"}, {"password_set", true}, {"admin", 1}};
  const Json admin = {{"username", "root"}, {"admin", true}};
  const Json fromConfig = {{"username", "from-config"}};
  const std::string account = "Account…", create = "Create User…";
  const Step changeOffered = {A, "Ana Example +busy", "Change Password…"};
  const std::string form = "Create a private user account +busy";
  const Step filled = {A, form, "", {{3, "Bob B."}, {5, kGood}, {7, kGood}}};
  const std::vector<std::pair<std::string, EngineResult>> infoFails = {
      {"account-info", {3, "unreachable\n"}}};
  const struct {
    std::string menu;
    FlowCase flow;
    Json accountAfter = {{"username", "from-config"}};
  } cases[] = {
      // clang-format off
      {account, {"the load fails", infoFails, {{A, "Could not load account +busy"}}, {kInfo},
        std::nullopt, "unreachable\n"}},
      {account, {"Done sends nothing more", engine(full), {{A, "Ana Example +busy", "Done"}},
        {kInfo}}, full},
      {account, {"setting up sign-in: no current password, username \"owner\", no display name",
        engine(Json::object()), {{A, "Your account +busy", "Set Up Sign-In…"},
        {A, "Set up your account +busy", "", {{3, kGood}, {5, kGood}}},
        {A, "Account updated +busy"}},
        {kInfo, kPassword}, request("owner", "", "")}, Json::object()},
      {account, {"the engine refuses the change", engine(full, {1, "wrong password"}),
        {changeOffered, {A, "Change your password +busy", "", {{1, "ana2"}, {3, "old"}, {5, kGood},
        {7, kGood}}}, {A, "Could not update account +busy"}}, {kInfo, kPassword},
        request("ana2", "", "old"), "wrong password"}, full},
      {create, {"an administrator creates a user", engine(admin),
        {filled, {A, "Account created +busy"}}, {kInfo, kCreate}, request("", "Bob B.", "")}},
      {create, {"not an administrator", engine({{"admin", "true"}}),
        {{A, "Administrator access needed +busy"}}, {kInfo}}},
      {create, {"the load fails", infoFails, {{A, "Could not load account +busy"}}, {kInfo},
        std::nullopt, "unreachable\n"}},
      {create, {"the engine refuses", engine(admin, {4, "name taken"}),
        {filled, {A, "Could not create account +busy"}}, {kInfo, kCreate}, std::nullopt,
        "name taken"}},
      {create, {"cancelled", engine(admin), {{A, form, "Cancel"}}, {kInfo}}},
      {create, {"11 bytes refused", engine(admin), {{A, form, "", {{5, "abcdefghijk"},
        {7, "abcdefghijk"}}}, {A, "Use a longer password +busy"}}, {kInfo}}},
      // clang-format on
  };
  for (const auto& c : cases) {
    AppHarness h;
    std::filesystem::create_directories(h.syncFolder());
    h.writeConfig(
        Json{{"folder", h.syncFolder().string()}, {"invitation", {{"account", fromConfig}}}}
            .dump());
    expectFlow(h, c.menu, c.flow);
    EXPECT_EQ(h.app->account(), c.accountAfter) << c.flow.name;
  }
}

TEST(ExportServer, SavesThroughTheEngineWhileTheSameWatchKeepsRunning) {
  const std::string panel = "Export server connection +watch";
  const std::vector<FlowCase> cases = {
      // clang-format off
      {"success is silent", {}, {{S, panel, "/tmp/Other name.txt"}},
       {"export-profile --config {config} --output /tmp/Other name.txt"}},
      {"failure shows the engine's text", {{"export-profile", {1, "no certificate"}}},
       {{S, panel, "/tmp/Q.quorvane-server"}, {A, "Could not export +watch"}},
       {"export-profile --config {config} --output /tmp/Q.quorvane-server"}, std::nullopt,
       "no certificate"},
      {"cancel runs nothing", {}, {{S, panel}}},
      // clang-format on
  };
  for (const FlowCase& c : cases) {
    AppHarness h;
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
