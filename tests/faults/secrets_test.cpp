// Passwords typed into the application travel on the engine's standard input and
// nowhere else: not in its command line or environment, not in the sync log or
// any file the front end writes, not in the front end's own output.
#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "support/app_harness.h"

namespace quorvane::testing {
namespace {

namespace fs = std::filesystem;

// The process's standard output and error go to a file while it lives.
class CapturedOutput {
 public:
  explicit CapturedOutput(const fs::path& file) {
    std::fflush(nullptr);
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    for (int stream : {1, 2}) {
      saved_[stream - 1] = ::dup(stream);
      ::dup2(fd, stream);
    }
    ::close(fd);
  }
  ~CapturedOutput() {
    std::fflush(nullptr);
    for (int stream : {1, 2}) {
      ::dup2(saved_[stream - 1], stream);
      ::close(saved_[stream - 1]);
    }
  }

 private:
  int saved_[2];
};

// Every file below `folder` that holds `secret`.
std::vector<fs::path> filesHolding(const fs::path& folder, const std::string& secret) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && readFile(entry.path()).find(secret) != std::string::npos) {
      found.push_back(entry.path());
    }
  }
  return found;
}

TEST(Secrets, PasswordsTypedInEveryFlowReachOnlyTheEnginesStandardInput) {
  const std::string signIn = "sign-in secret 1", again = "sign-in-again secret 2",
                    current = "current secret 3", changed = "changed secret 4",
                    created = "new user secret 5";
  AppHarness h;
  const fs::path output = h.dir / "front-end-output.txt";
  h.bundle.setBehaviour(R"({
      "login": {"write_files": {"{--config}": {"folder": "{--folder}"}}},
      "account-info": {"stdout": "{\"username\": \"ana\", \"password_set\": true, \"admin\": true}"}})");
  fs::create_directories(h.syncFolder());
  writeFile(h.dir / "Office.quorvane-server", "{}");
  ScriptedPerson& person = h.fake.ui.person;
  person.expectAlert("Sign in to Quorvane").type(0, "ana").type(1, signIn);
  person.expectOpenPanel().choose(h.syncFolder());
  person.expectAlert("Signed in");
  person.expectAlert("Sign in again").type(0, "ana").type(1, again);
  person.expectAlert("Signed in");
  person.expectAlert("Your account");
  person.expectAlert("Change your password").type(3, current).type(5, changed).type(7, changed);
  person.expectAlert("Account updated");
  person.expectAlert("Create a private user account")
      .type(1, "bo")
      .type(3, "Bo")
      .type(5, created)
      .type(7, created);
  person.expectAlert("Account created");
  {
    CapturedOutput captured(output);
    h.launch();
    h.app->applicationOpen({h.dir / "Office.quorvane-server"});
    h.fake.loop.runUntilIdle();
    for (const char* command : {"Sign In Again…", "Account…", "Create User…"}) {
      h.fake.ui.choose(command);
      h.fake.loop.runUntilIdle();
    }
    h.fake.loop.advance(4.0);
  }

  std::string inputs;
  std::ifstream journal(h.bundle.engine().parent_path() / "journal.jsonl");
  for (std::string line; std::getline(journal, line);) {
    const Json run = Json::parse(line);
    inputs += run.value("stdin", "");
    for (const std::string& secret : {signIn, again, current, changed, created}) {
      EXPECT_EQ(run["argv"].dump().find(secret), std::string::npos) << run["argv"];
      EXPECT_EQ(run["environ"].get<std::string>().find(secret), std::string::npos) << secret;
    }
  }
  for (const std::string& secret : {signIn, again, current, changed, created}) {
    EXPECT_NE(inputs.find(secret), std::string::npos) << secret << " never reached the engine";
    // The support folder with the sync log, the home and the sync folder.
    EXPECT_EQ(filesHolding(h.dir.path(), secret), std::vector<fs::path>{}) << secret;
    for (const std::string& line : h.fake.system.logLines()) {
      EXPECT_EQ(line.find(secret), std::string::npos);
    }
  }
  EXPECT_TRUE(fs::exists(h.app->syncLog())) << "the watch ran and wrote its log";
}

}  // namespace
}  // namespace quorvane::testing
