// Signing in, pairing, account details, passwords and new users.
#include <sys/stat.h>

#include "engine_harness.h"

namespace {

using nlohmann::json;

json login_request(const std::string& username, const std::string& password) {
  return {{"username", username}, {"password", password}, {"device", "Desk"}};
}

TEST_F(EngineTest, sign_in_refusals_are_one_sentence_and_write_no_configuration) {
  write_text(root / "notes.txt", "not a connection file");
  const std::string refused = "The username or password is not correct.\n";
  const Computer desk = computer("desk");
  const fs::path settings = desk.config.parent_path();
  fs::create_directories(settings);
  // A connection file whose address nothing answers at.
  auto nowhere = json::parse(read_text(home->profile));
  nowhere["address"] = "127.0.0.1:" + std::to_string(free_port());
  write_text(root / "nowhere.quorvane-server", nowhere.dump());
  const struct {
    json request;
    std::string says;
    fs::path profile = {}, folder = {};  // none: the server's, and a folder of its own
  } cases[] = {
      {login_request("ada", "wrong password!!"), refused},
      {login_request("bob", admin_password), refused},
      {login_request("ada", ""), refused},
      {json{{"username", "ada"}}, "The request lacks the text “password”.\n"},
      {login_request("ada", admin_password), "is not a Quorvane server connection file.\n",
       root / "notes.txt"},
      {login_request("ada", admin_password),
       "Quorvane Home cannot be reached at " + nowhere["address"].get<std::string>() + ".\n",
       root / "nowhere.quorvane-server"},
      {login_request("ada", admin_password),
       "The sync folder must not hold this computer’s Quorvane settings in " + settings.string() +
           "; choose a dedicated folder.\n",
       {},
       settings},
  };
  for (const auto& c : cases) {
    auto outcome =
        run_engine({"login", "--profile", c.profile.empty() ? home->profile : c.profile, "--folder",
                    c.folder.empty() ? desk.folder : c.folder, "--config", desk.config},
                   c.request.dump());
    EXPECT_NE(outcome.status, 0) << c.request;
    EXPECT_TRUE(outcome.output.ends_with(c.says)) << c.request << ": " << outcome.output;
    EXPECT_EQ(std::count(outcome.output.begin(), outcome.output.end(), '\n'), 1) << c.request;
    EXPECT_FALSE(fs::exists(desk.config)) << c.request;
  }
}

// An invitation pairs one computer, within a week.
TEST_F(EngineTest, sign_in_and_an_invitation_for_one_computer_write_a_private_configuration) {
  Computer desk = sign_in("desk");
  auto config = json::parse(read_text(desk.config));
  EXPECT_EQ(config["folder"], desk.folder.string());
  EXPECT_FALSE(config.contains("invitation"));
  EXPECT_EQ(fs::status(desk.config).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(
      json::parse(command(desk, "account-info").output),
      (json{
          {"username", "ada"}, {"display_name", "Ada"}, {"password_set", true}, {"admin", true}}));

  fs::path invitation = invitation_for("ada");
  auto pair_with = [&](const Computer& computer) {
    return run_engine({"pair", "--invitation", invitation, "--folder", computer.folder, "--config",
                       computer.config});
  };
  const Computer first = computer("first"), second = computer("second");
  auto paired = pair_with(first);
  EXPECT_EQ(paired.status, 0) << paired.output;
  EXPECT_EQ(json::parse(read_text(first.config))["invitation"]["account"]["username"], "ada");
  auto refused = pair_with(second);
  EXPECT_NE(refused.status, 0);
  EXPECT_EQ(refused.output, "This invitation has already been used; ask for a new one.\n");
  EXPECT_FALSE(fs::exists(second.config));
  invitation = invitation_for("ada");
  run_sql(home->data / "catalogue.sqlite", "UPDATE invitations SET created = created - 8 * 86400");
  EXPECT_EQ(pair_with(second).output, "This invitation has expired; ask for a new one.\n");
}

// Users see only their own files; a new password signs the account's other computers
// out; no password is ever written to a file, on the server or on a computer.
TEST_F(EngineTest, users_passwords_and_privacy) {
  const std::string first = "bob's secret words", second = "bob's newer secret";
  Computer desk = sign_in("desk");
  create_user(desk, "bob", first);
  Computer laptop = sign_in("laptop", "bob", first);
  Computer tablet = sign_in("tablet", "bob", first);
  EXPECT_EQ(json::parse(command(laptop, "account-info").output)["admin"], false);
  json request = {
      {"username", "eve"}, {"display_name", ""}, {"current_password", ""}, {"password", second}};
  EXPECT_EQ(command(laptop, "account-create", {}, request.dump()).output,
            "Only an administrator can create accounts.\n");
  request["username"] = "BOB";
  EXPECT_EQ(command(desk, "account-create", {}, request.dump()).output,
            "The username BOB is already taken.\n");

  json change = {{"username", "bob"},
                 {"display_name", "Bob"},
                 {"current_password", "not it at all"},
                 {"password", second}};
  auto refused = command(laptop, "account-password", {}, change.dump());
  EXPECT_EQ(refused.output, "The current password is not correct.\n");
  change["current_password"] = first;
  EXPECT_EQ(command(laptop, "account-password", {}, change.dump()).status, 0);
  EXPECT_EQ(command(laptop, "account-info").status, 0);
  EXPECT_EQ(command(tablet, "account-info").output,
            "This computer’s sign-in is no longer valid; choose Sign In Again.\n");
  EXPECT_NE(command(tablet, "relogin", {}, login_request("bob", first).dump()).status, 0);
  auto again = command(tablet, "relogin", {}, login_request("bob", second).dump());
  EXPECT_EQ(again.status, 0) << again.output;

  write_text(desk.folder / "private.txt", "ada's");
  sync(desk);
  EXPECT_EQ(command(laptop, "restore", {"--revision", "1"}).output,
            "Your history has no revision 1.\n");
  sync(laptop);
  EXPECT_TRUE(folder_contents(laptop.folder).empty());
  EXPECT_TRUE(history(laptop).empty());
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string content = read_text(entry.path());
    for (const std::string& password : {admin_password, first, second})
      EXPECT_EQ(content.find(password), std::string::npos) << entry.path();
  }
}

}  // namespace
