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
  fs::create_directories(root / "folder");
  fs::create_directories(root / "support");
  struct Case {
    const char* what;
    fs::path profile;
    fs::path folder;
    json request;
    std::string says;
  };
  const Case cases[] = {
      {"wrong password", profile, root / "folder", login_request("ada", "wrong password!!"),
       "The username or password is not correct.\n"},
      {"unknown user", profile, root / "folder", login_request("bob", admin_password),
       "The username or password is not correct.\n"},
      {"empty password", profile, root / "folder", login_request("ada", ""),
       "The username or password is not correct.\n"},
      {"missing member", profile, root / "folder", json{{"username", "ada"}},
       "The request lacks the text “password”.\n"},
      {"not a connection file", root / "notes.txt", root / "folder",
       login_request("ada", admin_password), "is not a Quorvane server connection file.\n"},
      {"folder inside the server", profile, server / "objects",
       login_request("ada", admin_password),
       "The sync folder and the server folder must not lie inside each other.\n"},
      {"folder holding the configuration", profile, root / "support",
       login_request("ada", admin_password),
       "The sync folder must not hold this computer’s Quorvane settings in " +
           (root / "support").string() + "; choose a dedicated folder.\n"},
  };
  for (const auto& c : cases) {
    fs::path config = root / "support" / "client.json";
    auto refused =
        run_engine({"login", "--profile", c.profile, "--folder", c.folder, "--config", config},
                   c.request.dump());
    EXPECT_NE(refused.status, 0) << c.what;
    EXPECT_TRUE(refused.output.ends_with(c.says)) << c.what << ": " << refused.output;
    EXPECT_EQ(std::count(refused.output.begin(), refused.output.end(), '\n'), 1) << c.what;
    EXPECT_FALSE(fs::exists(config)) << c.what;
  }
}

TEST_F(EngineTest, sign_in_writes_a_private_configuration_naming_the_folder) {
  Computer desk = sign_in("desk");
  auto config = json::parse(read_text(desk.config));
  EXPECT_EQ(config["folder"], desk.folder.string());
  EXPECT_FALSE(config.contains("invitation"));
  EXPECT_EQ(fs::status(desk.config).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  auto details = command(desk, "account-info");
  EXPECT_EQ(details.status, 0);
  EXPECT_EQ(
      json::parse(details.output),
      (json{
          {"username", "ada"}, {"display_name", "Ada"}, {"password_set", true}, {"admin", true}}));
}

TEST_F(EngineTest, an_invitation_pairs_one_computer_only) {
  fs::path invitation = invitation_for("ada");
  fs::create_directories(root / "first");
  fs::create_directories(root / "second");
  auto first = run_engine({"pair", "--invitation", invitation, "--folder", root / "first",
                           "--config", root / "first.json"});
  auto second = run_engine({"pair", "--invitation", invitation, "--folder", root / "second",
                            "--config", root / "second.json"});
  EXPECT_EQ(first.status, 0) << first.output;
  EXPECT_EQ(json::parse(read_text(root / "first.json"))["invitation"]["account"]["username"],
            "ada");
  EXPECT_NE(second.status, 0);
  EXPECT_EQ(second.output, "This invitation has already been used; ask for a new one.\n");
  EXPECT_FALSE(fs::exists(root / "second.json"));
}

TEST_F(EngineTest, only_an_administrator_creates_users_who_then_sign_in_elsewhere) {
  Computer desk = sign_in("desk");
  create_user(desk, "bob", "bob's own password");
  Computer laptop = sign_in("laptop", "bob", "bob's own password");
  EXPECT_EQ(json::parse(command(laptop, "account-info").output)["admin"], false);
  json request = {{"username", "eve"},
                  {"display_name", ""},
                  {"current_password", ""},
                  {"password", "eve's password 12"}};
  auto refused = command(laptop, "account-create", {}, request.dump());
  EXPECT_NE(refused.status, 0);
  EXPECT_EQ(refused.output, "Only an administrator can create accounts.\n");
  request["username"] = "BOB";
  EXPECT_EQ(command(desk, "account-create", {}, request.dump()).output,
            "The username BOB is already taken.\n");
}

TEST_F(EngineTest, a_password_change_needs_the_old_one_and_signs_other_computers_out) {
  Computer desk = sign_in("desk");
  Computer laptop = sign_in("laptop");
  json change = {{"username", "ada"},
                 {"display_name", ""},
                 {"current_password", "not it at all"},
                 {"password", "a brand new password"}};
  auto refused = command(desk, "account-password", {}, change.dump());
  EXPECT_EQ(refused.output, "The current password is not correct.\n");
  change["current_password"] = admin_password;
  EXPECT_EQ(command(desk, "account-password", {}, change.dump()).status, 0);
  EXPECT_EQ(command(desk, "account-info").status, 0);
  auto signed_out = command(laptop, "account-info");
  EXPECT_EQ(signed_out.output,
            "This computer’s sign-in is no longer valid; choose Sign In Again.\n");
  EXPECT_NE(command(laptop, "relogin", {}, login_request("ada", admin_password).dump()).status, 0);
  auto again = command(laptop, "relogin", {}, login_request("ada", "a brand new password").dump());
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(command(laptop, "account-info").status, 0);
}

TEST_F(EngineTest, no_password_is_written_to_any_file) {
  Computer desk = sign_in("desk");
  create_user(desk, "bob", "bob's secret words");
  Computer laptop = sign_in("laptop", "bob", "bob's secret words");
  json change = {{"username", "bob"},
                 {"display_name", "Bob"},
                 {"current_password", "bob's secret words"},
                 {"password", "bob's newer secret"}};
  EXPECT_EQ(command(laptop, "account-password", {}, change.dump()).status, 0);
  write_text(laptop.folder / "file.txt", "content");
  sync(laptop);
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::string content = read_text(entry.path());
    for (const std::string& password :
         {admin_password, std::string("bob's secret words"), std::string("bob's newer secret")})
      EXPECT_EQ(content.find(password), std::string::npos) << entry.path();
  }
}

}  // namespace
