#include "engine_harness.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <openssl/evp.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace {

pid_t spawn(const std::string& program, const std::vector<std::string>& arguments, int input,
            int output, const std::vector<std::string>& environment = {}) {
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = fork();
  if (child < 0) std::abort();  // a test must never go on to kill(-1, …)
  if (child == 0) {
    dup2(input, 0);
    dup2(output, 1);
    dup2(output, 2);
    for (const auto& variable : environment) putenv(const_cast<char*>(variable.c_str()));
    execv(argv[0], argv.data());
    _exit(127);
  }
  return child;
}

}  // namespace

Outcome run_program(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& input, const std::vector<std::string>& environment) {
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return {};
  pid_t child = spawn(program, arguments, in[0], out[1], environment);
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

Outcome run_engine(const std::vector<std::string>& arguments, const std::string& input) {
  return run_program(QUORVANE_STANDIN_ENGINE, arguments, input);
}

Outcome run_server(const std::vector<std::string>& arguments, const std::string& input) {
  return run_program(QUORVANE_STANDIN_SERVER, arguments, input);
}

pid_t start_engine(const std::vector<std::string>& arguments, const fs::path& output) {
  int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
  int out = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  pid_t child = spawn(QUORVANE_STANDIN_ENGINE, arguments, nothing, out);
  close(nothing);
  close(out);
  return child;
}

int wait_for(pid_t child) {
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int free_port() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
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

std::string sha256_of(const std::string& content) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(content.data(), content.size(), digest, &size, EVP_sha256(), nullptr);
  std::string hex;
  for (unsigned int i = 0; i < size; ++i)
    (hex += "0123456789abcdef"[digest[i] >> 4]) += "0123456789abcdef"[digest[i] & 15];
  return hex;
}

bool eventually(const std::function<bool()>& condition, std::chrono::seconds patience) {
  for (auto deadline = std::chrono::steady_clock::now() + patience; !condition();) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

void run_sql(const fs::path& database, const std::string& statements) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(database.c_str(), &db), SQLITE_OK) << database;
  sqlite3_busy_timeout(db, 10000);
  char* error = nullptr;
  EXPECT_EQ(sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error), SQLITE_OK) << error;
  sqlite3_free(error);
  sqlite3_close(db);
}

HomeServer::HomeServer(const fs::path& root, const std::string& name)
    : data(root / name),
      profile(root / (name + ".quorvane-server")),
      log_file(root / (name + ".log")),
      address("127.0.0.1:" + std::to_string(free_port())) {
  nlohmann::json admin = {
      {"username", "ada"}, {"display_name", "Ada"}, {"password", admin_password}};
  auto made =
      run_server({"init", "--data", data, "--address", address, "--output", profile}, admin.dump());
  EXPECT_EQ(made.status, 0) << made.output;
}

HomeServer::~HomeServer() {
  if (pid > 0) stop();
}

void HomeServer::start() {
  int log = open(log_file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
  size_t before = read_text(log_file).size();
  pid = spawn(QUORVANE_STANDIN_SERVER, {"serve", "--data", data}, nothing, log);
  close(log);
  close(nothing);
  ASSERT_TRUE(eventually([&] {
    return read_text(log_file).find("is listening on", before) != std::string::npos;
  })) << "the server did not start: "
      << read_text(log_file);
}

int HomeServer::stop(int signal) {
  if (pid <= 0) return -1;  // never kill(-1, …)
  kill(pid, signal);
  int status = wait_for(pid);
  pid = -1;
  return status;
}

EngineTest::EngineTest() {
  std::string pattern = (fs::temp_directory_path() / "quorvane-engine-test.XXXXXX").string();
  root = mkdtemp(pattern.data());
  home = std::make_unique<HomeServer>(root, "server");
  home->start();
}

EngineTest::~EngineTest() {
  home.reset();
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
  auto signed_in = run_engine({"login", "--profile", home->profile, "--folder", computer.folder,
                               "--config", computer.config},
                              request.dump());
  EXPECT_EQ(signed_in.status, 0) << signed_in.output;
  return computer;
}

fs::path EngineTest::invitation_for(const std::string& username) {
  fs::path invitation = root / (username + ".quorvane-invitation");
  auto made =
      run_server({"invite", "--data", home->data, "--username", username, "--output", invitation});
  EXPECT_EQ(made.status, 0) << made.output;
  return invitation;
}

Household EngineTest::new_household() {
  if (!admin_) admin_ = sign_in("admin");
  const std::string user = "user" + std::to_string(++households_), password = user + " password";
  create_user(*admin_, user, password);
  return {user, password, sign_in(user + "-desk", user, password),
          sign_in(user + "-laptop", user, password)};
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
  auto status = nlohmann::json::parse(read_text(computer.folder / ".quorvane" / "status.json"),
                                      nullptr, false);
  return status.is_object() ? status : nlohmann::json::object();
}

std::map<std::string, std::string> recovered(const Computer& computer) {
  std::map<std::string, std::string> kept;
  fs::path recovery = computer.folder / ".quorvane" / "recovered";
  if (fs::exists(recovery))
    for (auto& [path, content] : folder_contents(recovery))
      if (!path.ends_with(".original-path.txt")) kept[path] = content;
  return kept;
}
