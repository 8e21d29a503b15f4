#include <gtest/gtest.h>

#include "account/account_details.h"
#include "account/account_form.h"
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

using Kind = AlertField::Kind;

// Each field as its kind ('L'abel, 't'ext, 's'ecure) and its text or placeholder.
std::string fieldsOf(const Alert& alert) {
  std::string fields;
  for (const AlertField& f : alert.accessory->fields) {
    fields += f.kind == Kind::label ? "L" + f.text : f.kind == Kind::text ? "t" : "s";
    fields += (f.kind == Kind::label ? "" : f.text + f.placeholder) + "|";
  }
  return fields;
}

TEST(AccountForm, ShowsTheAskedRowsTopDownWithTheUsernameFocused) {
  const struct {
    AskCurrentPassword current;
    AskDisplayName name;
    std::string fields;
  } cases[] = {
      {AskCurrentPassword::no, AskDisplayName::no,
       "LUsername|tanaUsername|LPassword|s|LConfirm password|s|"},
      {AskCurrentPassword::no, AskDisplayName::yes,
       "LUsername|tanaUsername|LName|tDisplay name|LPassword|s|LConfirm password|s|"},
      {AskCurrentPassword::yes, AskDisplayName::yes,
       "LUsername|tanaUsername|LName|tDisplay name|LCurrent password|s|LPassword|s|"
       "LConfirm password|s|"},
  };
  for (const auto& c : cases) {
    const Alert alert = AccountForm("Title", "Why", "ana", c.current, c.name).alert();
    EXPECT_EQ(alert.accessory->firstFocus, 1u);
    EXPECT_EQ(fieldsOf(alert), c.fields);
  }
}

TEST(PasswordRefusal, ChecksEqualityFirstThenUtf8Length) {
  const std::string differ = "Passwords differ", shorter = "Use a longer password", none;
  const struct {
    std::string password, confirmation;
    std::string refusal;
  } cases[] = {
      {"abcdefghijk", "abcdefghijk", shorter},         // 11 bytes
      {"abcdefghijkl", "abcdefghijkl", none},          // 12 bytes
      {"€€€€", "€€€€", none},                          // 4 characters, 12 bytes
      {"€€€", "€€€", shorter},                         // 9 bytes
      {"short", "shorter", differ},                    // not also "longer"
      {"abcdefghijkl", "abcdefghijkL", differ},        // letter case counts
      {"mot de passé!", "mot de passe\u0301!", none},  // composed vs decomposed
      {"abcdefghijk\xff", "abcdefghijk\xfe", differ},  // malformed UTF-8 never matches other bytes
  };
  for (const auto& c : cases) {
    const std::optional<Refusal> refusal = passwordRefusal(c.password, c.confirmation);
    EXPECT_EQ(refusal ? refusal->title : none, c.refusal) << c.password;
  }
}

TEST(AccountDetails, AreAnObjectPrintedWithSuccessAndOnlyTrueMakesAnAdministrator) {
  const struct {
    std::int32_t status;
    std::string output;
    bool loaded, administrator;
  } cases[] = {
      {0, R"({"admin": true})", true, true},   {0, R"({"admin": "true"})", true, false},
      {0, R"({"admin": 1})", true, false},     {0, "{}", true, false},
      {1, R"({"admin": true})", false, false}, {0, R"([{"admin": true}])", false, false},
      {0, "{} trailing", false, false},
  };
  for (const auto& c : cases) {
    const std::optional<Json> details = accountDetails(c.status, c.output);
    EXPECT_EQ(details.has_value(), c.loaded) << c.output;
    EXPECT_EQ(details && isAdministrator(*details), c.administrator) << c.output;
  }
}

// Members of another type count as missing; only true says a password is set.
TEST(AccountView, TakesEachMemberOnlyWhenOfItsOwnType) {
  const AccountView view =
      accountView({{"username", 7}, {"display_name", 7}, {"password_set", "yes"}});
  EXPECT_EQ(view.title, "Your account");
  EXPECT_TRUE(view.text.starts_with("Username: \n\nYour files are private")) << view.text;
  EXPECT_EQ(view.firstButton, "Set Up Sign-In…");
  EXPECT_EQ(view.formUsername, "owner");
  EXPECT_EQ(view.askCurrentPassword, AskCurrentPassword::no);
}

}  // namespace
}  // namespace quorvane::testing
