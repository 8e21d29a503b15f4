#include "cli.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <ctime>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>

namespace {

// Lock-free, so the handler may set it; read by every thread of the server.
std::atomic<bool> stop_signal = false;
static_assert(std::atomic<bool>::is_always_lock_free);

void on_stop_signal(int) {
  stop_signal = true;
}

}  // namespace

void install_stop_handlers() {
  struct sigaction action = {};
  action.sa_handler = on_stop_signal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a sleep or a blocking read ends at once with EINTR.
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool stop_requested() {
  return stop_signal;
}

void throw_if_stopped() {
  if (stop_requested()) throw Stopped{};
}

Arguments::Arguments(const std::vector<std::string>& words,
                     std::initializer_list<const char*> options,
                     std::initializer_list<const char*> flags) {
  auto known = [](std::initializer_list<const char*> names, const std::string& word) {
    for (const char* name : names)
      if (word == name) return true;
    return false;
  };
  for (size_t i = 0; i < words.size(); ++i) {
    if (known(flags, words[i])) {
      flags_.insert(words[i]);
    } else if (known(options, words[i]) && i + 1 < words.size()) {
      values_[words[i]] = words[i + 1];
      ++i;
    } else {
      throw Failure("Unexpected argument “" + words[i] + "”.");
    }
  }
}

const std::string& Arguments::value(const std::string& option) const {
  auto found = values_.find(option);
  if (found == values_.end() || found->second.empty())
    throw Failure("The option " + option + " and its value are missing.");
  return found->second;
}

std::map<std::string, std::string> read_request(std::initializer_list<const char*> members) {
  return parse_request(std::string(std::istreambuf_iterator<char>(std::cin), {}), members);
}

std::map<std::string, std::string> parse_request(const std::string& text,
                                                 std::initializer_list<const char*> members) {
  auto request = nlohmann::json::parse(text, nullptr, false);
  if (!request.is_object()) throw Failure("The request on standard input is not a JSON object.");
  std::map<std::string, std::string> values;
  for (const char* member : members) {
    auto found = request.find(member);
    if (found == request.end() || !found->is_string())
      throw Failure(std::string("The request lacks the text “") + member + "”.");
    values[member] = found->get<std::string>();
  }
  return values;
}

double now_seconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

std::string local_time_text(double seconds, const char* format) {
  std::time_t time = static_cast<std::time_t>(seconds);
  std::tm parts = {};
  localtime_r(&time, &parts);
  char text[64];
  return std::string(text, std::strftime(text, sizeof text, format, &parts));
}

void log_line(const std::string& text) {
  std::cout << local_time_text(now_seconds(), "%Y-%m-%d %H:%M:%S ") << text << std::endl;
}
