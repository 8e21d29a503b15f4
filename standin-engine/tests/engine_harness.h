// Runs the built engine as a child process, the way the front end does, on a
// throwaway server folder with computers signed in to it.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string output;  // standard output and standard error together
};

// The engine with these arguments and this standard input, to its end.
Outcome run_engine(const std::vector<std::string>& arguments, const std::string& input = "");
// The engine started with its output discarded; the caller waits for it.
pid_t start_engine(const std::vector<std::string>& arguments);
int wait_for(pid_t child);

std::string read_text(const fs::path& path);
void write_text(const fs::path& path, const std::string& text);
// Every regular file below folder with its content, .quorvane left out.
std::map<std::string, std::string> folder_contents(const fs::path& folder);

inline const std::string admin_password = "first administrator password";

struct Computer {
  fs::path folder;
  fs::path config;
};

// A server folder with its administrator "ada", in a fresh temporary folder.
class EngineTest : public ::testing::Test {
 protected:
  EngineTest();
  ~EngineTest() override;

  // A computer's sync folder (created) and configuration, below root / name.
  Computer computer(const std::string& name);
  Computer sign_in(const std::string& name, const std::string& username = "ada",
                   const std::string& password = admin_password);
  Computer pair(const std::string& name, const std::string& username = "ada");
  fs::path invitation_for(const std::string& username);
  void create_user(const Computer& admin, const std::string& username, const std::string& password);
  Outcome command(const Computer& computer, const std::string& name,
                  const std::vector<std::string>& more = {}, const std::string& input = "");
  // One watch pass; the test fails unless it ends in sync.
  void sync(const Computer& computer);
  nlohmann::json history(const Computer& computer);
  nlohmann::json status(const Computer& computer);

  fs::path root;
  fs::path server;
  fs::path profile;
};
