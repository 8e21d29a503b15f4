#include "engine_harness.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace {

pid_t spawn(const std::vector<std::string>& arguments, int input, int output) {
  std::vector<char*> argv{const_cast<char*>(QUORVANE_STANDIN_ENGINE)};
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child == 0) {
    dup2(input, 0);
    dup2(output, 1);
    dup2(output, 2);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

}  // namespace

Outcome run_engine(const std::vector<std::string>& arguments, const std::string& input) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return {};
  pid_t child = spawn(arguments, in[0], out[1]);
  close(in[0]);
  close(out[1]);
  (void)!write(in[1], input.data(), input.size());
  close(in[1]);
  Outcome outcome;
  char chunk[4096];
  for (ssize_t got; (got = read(out[0], chunk, sizeof chunk)) > 0;)
    outcome.output.append(chunk, got);
  close(out[0]);
  outcome.status = wait_for(child);
  return outcome;
}

pid_t start_engine(const std::vector<std::string>& arguments) {
  int nothing = open("/dev/null", O_RDWR | O_CLOEXEC);
  pid_t child = spawn(arguments, nothing, nothing);
  close(nothing);
  return child;
}

int wait_for(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::string read_text(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

void write_text(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::map<std::string, std::string> folder_contents(const fs::path& folder) {
  std::map<std::string, std::string> contents;
  for (auto entry = fs::recursive_directory_iterator(folder); entry != fs::end(entry); ++entry) {
    if (entry.depth() == 0 && entry->path().filename() == ".quorvane")
      entry.disable_recursion_pending();
    else if (entry->is_regular_file() && !entry->is_symlink())
      contents[entry->path().lexically_relative(folder).string()] = read_text(entry->path());
  }
  return contents;
}

EngineTest::EngineTest() {
  std::string pattern = (fs::temp_directory_path() / "quorvane-engine-test.XXXXXX").string();
  root = mkdtemp(pattern.data());
  server = root / "server";
  profile = root / "Quorvane Home.quorvane-server";
  nlohmann::json admin = {
      {"username", "ada"}, {"display_name", "Ada"}, {"password", admin_password}};
  auto made = run_engine({"server-init", "--server", server, "--output", profile}, admin.dump());
  EXPECT_EQ(made.status, 0) << made.output;
}

EngineTest::~EngineTest() {
  fs::remove_all(root);
}

Computer EngineTest::computer(const std::string& name) {
  Computer computer{root / name / "Sync", root / name / "support" / "client.json"};
  fs::create_directories(computer.folder);
  return computer;
}

Computer EngineTest::sign_in(const std::string& name, const std::string& username,
                             const std::string& password) {
  Computer computer = this->computer(name);
  nlohmann::json request = {{"username", username}, {"password", password}, {"device", name}};
  auto signed_in = run_engine(
      {"login", "--profile", profile, "--folder", computer.folder, "--config", computer.config},
      request.dump());
  EXPECT_EQ(signed_in.status, 0) << signed_in.output;
  return computer;
}

fs::path EngineTest::invitation_for(const std::string& username) {
  fs::path invitation = root / (username + ".quorvane-invitation");
  auto made =
      run_engine({"invite", "--server", server, "--username", username, "--output", invitation});
  EXPECT_EQ(made.status, 0) << made.output;
  return invitation;
}

Computer EngineTest::pair(const std::string& name, const std::string& username) {
  Computer computer = this->computer(name);
  auto paired = run_engine({"pair", "--invitation", invitation_for(username), "--folder",
                            computer.folder, "--config", computer.config});
  EXPECT_EQ(paired.status, 0) << paired.output;
  return computer;
}

void EngineTest::create_user(const Computer& admin, const std::string& username,
                             const std::string& password) {
  nlohmann::json request = {{"username", username},
                            {"display_name", ""},
                            {"current_password", ""},
                            {"password", password}};
  auto created = command(admin, "account-create", {}, request.dump());
  EXPECT_EQ(created.status, 0) << created.output;
}

Outcome EngineTest::command(const Computer& computer, const std::string& name,
                            const std::vector<std::string>& more, const std::string& input) {
  std::vector<std::string> arguments{name, "--config", computer.config};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return run_engine(arguments, input);
}

void EngineTest::sync(const Computer& computer) {
  auto pass = command(computer, "watch", {"--once"});
  EXPECT_EQ(pass.status, 0) << pass.output;
}

nlohmann::json EngineTest::history(const Computer& computer) {
  auto listed = command(computer, "history");
  EXPECT_EQ(listed.status, 0) << listed.output;
  return nlohmann::json::parse(listed.output, nullptr, false);
}

nlohmann::json EngineTest::status(const Computer& computer) {
  return nlohmann::json::parse(read_text(computer.folder / ".quorvane" / "status.json"), nullptr,
                               false);
}
