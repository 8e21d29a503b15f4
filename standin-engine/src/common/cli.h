// What every command shares: failures as sentences, options, the request on
// standard input, the stop signals and the clock.
#pragma once

#include <initializer_list>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

// A failure told to the person as it is: one sentence.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Nothing answers at the server's address (it is not running, the network is down).
struct Unreachable : Failure {
  using Failure::Failure;
};

// SIGTERM, SIGINT or SIGHUP arrived; unwinding removes every temporary file.
struct Stopped {};

void install_stop_handlers();
bool stop_requested();
void throw_if_stopped();

// The "--name value" options and bare flags that follow a sub-command.
class Arguments {
 public:
  Arguments(const std::vector<std::string>& words, std::initializer_list<const char*> options,
            std::initializer_list<const char*> flags = {});
  const std::string& value(const std::string& option) const;
  bool flag(const std::string& name) const { return flags_.contains(name); }
  bool has(const std::string& option) const { return values_.contains(option); }

 private:
  std::map<std::string, std::string> values_;
  std::set<std::string> flags_;
};

// The JSON object of strings on standard input, with every named member present.
std::map<std::string, std::string> read_request(std::initializer_list<const char*> members);
// The same for a request already read.
std::map<std::string, std::string> parse_request(const std::string& text,
                                                 std::initializer_list<const char*> members);

double now_seconds();
std::string local_time_text(double seconds, const char* format);

// One line in the sync log (standard output), after the local time.
void log_line(const std::string& text);
