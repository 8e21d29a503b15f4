// Runs the built programs as child processes, as the front end and a household do:
// a throwaway server data folder served on a loopback port, computers signed in to it.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string output;  // standard output and standard error together
};

// A program with these arguments and this standard input, to its end.
Outcome run_program(const std::string& program, const std::vector<std::string>& arguments,
                    const std::string& input = "",
                    const std::vector<std::string>& environment = {});
Outcome run_engine(const std::vector<std::string>& arguments, const std::string& input = "");
Outcome run_server(const std::vector<std::string>& arguments, const std::string& input = "");
// The engine started with its output into a file (discarded unless named); the
// caller waits for it.
pid_t start_engine(const std::vector<std::string>& arguments, const fs::path& output = "/dev/null");
int wait_for(pid_t child);
int free_port();

std::string read_text(const fs::path& path);
void write_text(const fs::path& path, const std::string& text);
// Every regular file below folder with its content, .quorvane left out.
std::map<std::string, std::string> folder_contents(const fs::path& folder);
std::string sha256_of(const std::string& content);
// Whether condition comes true within `patience`, looked at every millisecond; one
// sighting counts (what it saw, a transfer under way, may be gone at a second look).
bool eventually(const std::function<bool()>& condition,
                std::chrono::seconds patience = std::chrono::seconds(20));
// Runs SQL on a database the programs keep, for what a test cannot wait for.
void run_sql(const fs::path& database, const std::string& statements);

inline const std::string admin_password = "first administrator password";

// A server data folder with its administrator "ada", served while it lives.
class HomeServer {
 public:
  HomeServer(const fs::path& root, const std::string& name);
  ~HomeServer();
  void start();
  // SIGTERM (or another signal) and the exit status.
  int stop(int signal = SIGTERM);
  std::string log() const { return read_text(log_file); }

  fs::path data, profile, log_file;
  std::string address;
  pid_t pid = -1;
};

struct Computer {
  fs::path folder;
  fs::path config;
};
// What a computer keeps in recovery, by path there, the records of original paths left out.
std::map<std::string, std::string> recovered(const Computer& computer);

// An account of its own, so that one table row's files stay out of the next,
// and two of its computers signed in.
struct Household {
  std::string username, password;
  Computer desk, laptop;
};

class EngineTest : public ::testing::Test {
 protected:
  EngineTest();
  ~EngineTest() override;

  // A computer's sync folder (created) and configuration, below root / name.
  Computer computer(const std::string& name);
  Computer sign_in(const std::string& name, const std::string& username = "ada",
                   const std::string& password = admin_password);
  // "user1", "user2"…, made by an administrator's computer; theirs are "user1-desk"….
  Household new_household();
  fs::path invitation_for(const std::string& username);
  void create_user(const Computer& admin, const std::string& username, const std::string& password);
  Outcome command(const Computer& computer, const std::string& name,
                  const std::vector<std::string>& more = {}, const std::string& input = "");
  // One watch pass; the test fails unless it ends in sync.
  void sync(const Computer& computer);
  nlohmann::json history(const Computer& computer);
  // The status file's members, none while it is not there.
  nlohmann::json status(const Computer& computer);

  fs::path root;
  std::unique_ptr<HomeServer> home;

 private:
  std::optional<Computer> admin_;
  int households_ = 0;
};
