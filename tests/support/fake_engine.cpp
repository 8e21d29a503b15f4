// A stand-in for the sync engine. Each run appends one JSON line to journal.jsonl
// (arguments, standard input when read, pid, open descriptors) and then behaves as
// behaviour.json says for its sub-command (argv[1], else the entry "*"):
//
//   {"login": {"output": [{"stream": "err", "text": "bad password\n"}], "exit_code": 1},
//    "watch": {"stdout": "ready\n", "ignore_sigterm": true, "run_until_terminated": true}}
//
// Keys: "stdout", "stderr" (text, written in that order); "output" (chunks with
// "stream" "out" or "err" and "text" or "hex", written in order after those);
// "output_bytes" (that many bytes of 'a'..'z' repeated, on stdout); "exit_code";
// "exit_without_reading" (else all of stdin is read, but by watch, whose stdin is the front end's);
// "ignore_sigterm"; "sleep_seconds"; "run_until_terminated"; "crash_signal";
// "write_files" ({path: content}, where
// "{--option}" in either stands for the argument that follows --option; a non-string content is
// written as JSON). Without a behaviour, watch prints one line and runs until SIGTERM, and
// everything else prints nothing and exits 0.
//
// Both files live in the folder of argv[0] as invoked, so a symlink into a bundle
// keeps its files beside it.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

fs::path homeFolder(const char* argv0) {
  std::string invoked = argv0 ? argv0 : "";
  auto slash = invoked.rfind('/');
  if (slash == std::string::npos) return ".";
  return invoked.substr(0, slash == 0 ? 1 : slash);
}

// A mask line of /proc/self/status ("SigIgn", "SigBlk") as its hex digits.
std::string signalMask(const std::string& name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(name + ":", 0) == 0)
      return line.substr(line.find_first_not_of(" \t", name.size() + 1));
  }
  return "";
}

std::vector<int> openDescriptors() {
  std::vector<int> fds;
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return fds;
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    int fd = std::atoi(entry->d_name);
    if (fd != ::dirfd(dir)) fds.push_back(fd);
  }
  ::closedir(dir);
  return fds;
}

void writeAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return;
    done += static_cast<std::size_t>(written);
  }
}

std::string readAll(int fd) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return bytes;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string toHex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : bytes) {
    hex += digits[byte >> 4];
    hex += digits[byte & 15];
  }
  return hex;
}

std::string fromHex(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return bytes;
}

Json behaviourFor(const fs::path& folder, const std::string& subcommand) {
  std::ifstream in(folder / "behaviour.json");
  if (!in) return Json::object();
  Json all = Json::parse(in);
  if (all.contains(subcommand)) return all[subcommand];
  if (all.contains("*")) return all["*"];
  return Json::object();
}

// "{--config}" becomes the argument after "--config".
std::string substitute(std::string text, const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i + 1 < arguments.size(); ++i) {
    if (arguments[i].rfind("--", 0) != 0) continue;
    std::string placeholder = "{" + arguments[i] + "}";
    for (auto at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + arguments[i + 1].size())) {
      text.replace(at, placeholder.size(), arguments[i + 1]);
    }
  }
  return text;
}

Json startingState(const std::vector<std::string>& arguments) {
  std::vector<int> fds = openDescriptors();  // before anything here opens a file
  return {{"argv", arguments},
          {"pid", ::getpid()},
          {"fds", fds},
          {"ignored_signals", signalMask("SigIgn")},
          {"blocked_signals", signalMask("SigBlk")}};
}

void record(const fs::path& folder, Json entry, const std::optional<std::string>& input) {
  if (input) {
    entry["stdin"] = *input;
    entry["stdin_hex"] = toHex(*input);
  }
  std::string line = entry.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
  int fd =
      ::open((folder / "journal.jsonl").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  writeAll(fd, line);  // one write, so that engines running at once never interleave
  ::close(fd);
}

void writeFiles(const Json& files, const std::vector<std::string>& arguments) {
  for (const auto& [path, content] : files.items()) {
    fs::path target = substitute(path, arguments);
    if (target.has_parent_path()) fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << substitute(content.is_string() ? content.get<std::string>() : content.dump(), arguments);
  }
}

void writeOutput(const Json& behaviour) {
  writeAll(STDOUT_FILENO, behaviour.value("stdout", ""));
  writeAll(STDERR_FILENO, behaviour.value("stderr", ""));
  for (const Json& chunk : behaviour.value("output", Json::array())) {
    int fd = chunk.value("stream", "out") == "err" ? STDERR_FILENO : STDOUT_FILENO;
    writeAll(fd, chunk.contains("hex") ? fromHex(chunk["hex"]) : chunk.value("text", ""));
  }
  std::size_t count = behaviour.value("output_bytes", std::size_t{0});
  std::string block;
  for (std::size_t i = 0; i < count; ++i) {
    block += static_cast<char>('a' + i % 26);
    if (block.size() == 1 << 16 || i + 1 == count) {
      writeAll(STDOUT_FILENO, block);
      block.clear();
    }
  }
}

void sleepFor(double seconds) {
  timespec left{static_cast<time_t>(seconds),
                static_cast<long>((seconds - static_cast<time_t>(seconds)) * 1e9)};
  while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  Json entry = startingState(arguments);
  std::string subcommand = arguments.empty() ? "" : arguments[0];
  fs::path folder = homeFolder(argv[0]);

  Json behaviour;
  try {
    behaviour = behaviourFor(folder, subcommand);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "fake-engine: bad behaviour.json: %s\n", error.what());
    return 99;
  }
  bool watch = subcommand == "watch";
  if (behaviour.empty() && watch) {
    behaviour = {{"stdout", "fake-engine: watching\n"}, {"run_until_terminated", true}};
  }
  int exitCode = behaviour.value("exit_code", 0);
  if (behaviour.value("ignore_sigterm", false)) ::signal(SIGTERM, SIG_IGN);

  std::optional<std::string> input;
  bool exitAtOnce = behaviour.value("exit_without_reading", false);
  if (!exitAtOnce && !watch) input = readAll(STDIN_FILENO);
  record(folder, std::move(entry), input);
  if (exitAtOnce) return exitCode;

  writeFiles(behaviour.value("write_files", Json::object()), arguments);
  writeOutput(behaviour);
  if (int signal = behaviour.value("crash_signal", 0)) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
  if (double seconds = behaviour.value("sleep_seconds", 0.0); seconds > 0) sleepFor(seconds);
  if (behaviour.value("run_until_terminated", false)) {
    for (;;) ::pause();
  }
  return exitCode;
}
