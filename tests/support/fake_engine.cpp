// A stand-in for the sync engine. Each run appends one JSON line to journal.jsonl
// (its arguments, standard input, pid, open descriptors and signal masks) and then
// does what behaviour.json says for its sub-command (argv[1], else "*"):
//
//   {"login": {"stderr": "bad password\n", "exit_code": 1},
//    "watch": {"ignore_sigterm": true, "run_until_terminated": true}}
//
// Keys: "stdout", "stderr", "exit_code", "ignore_sigterm", "run_until_terminated",
// "crash_signal", "write_files" ({path: JSON}). Without one, watch prints a line and
// runs until SIGTERM; anything else exits 0. Every command but watch, whose stdin
// is the front end's, reads its input whole. Both files live beside argv[0].
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::json;

// A mask line of /proc/self/status ("SigIgn", "SigBlk") as its hex digits.
std::string signalMask(const std::string& name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(name + ":"))
      return line.substr(line.find_first_not_of(" \t", name.size() + 1));
  }
  return "";
}

std::vector<int> openDescriptors() {
  std::vector<int> fds;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    fds.push_back(std::stoi(entry.path().filename()));
  }
  std::erase_if(fds, [](int fd) { return ::fcntl(fd, F_GETFD) == -1; });  // the listing's own
  return fds;
}

void writeAll(int fd, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno != EINTR) return;
    if (written > 0) done += static_cast<std::size_t>(written);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  Json entry = {{"argv", arguments},
                {"pid", ::getpid()},
                {"fds", openDescriptors()},  // before anything here opens a file
                {"ignored_signals", signalMask("SigIgn")},
                {"blocked_signals", signalMask("SigBlk")}};
  const std::string subcommand = arguments.empty() ? "" : arguments[0];
  const std::filesystem::path folder = std::filesystem::path(argv[0]).parent_path();

  Json all = Json::object();
  if (std::ifstream in(folder / "behaviour.json"); in) all = Json::parse(in);
  const bool watch = subcommand == "watch";
  Json behaviour = all.contains(subcommand) ? all[subcommand] : all.value("*", Json::object());
  if (behaviour.empty() && watch) {
    behaviour = {{"stdout", "fake-engine: watching\n"}, {"run_until_terminated", true}};
  }
  if (behaviour.value("ignore_sigterm", false)) ::signal(SIGTERM, SIG_IGN);

  if (!watch) entry["stdin"] = std::string(std::istreambuf_iterator<char>(std::cin), {});
  const int journal =
      ::open((folder / "journal.jsonl").c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  // One write, so that engines running at once never interleave their lines.
  writeAll(journal, entry.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n");
  ::close(journal);

  const Json files = behaviour.value("write_files", Json::object());
  for (const auto& [path, content] : files.items()) std::ofstream(path) << content.dump();
  writeAll(STDOUT_FILENO, behaviour.value("stdout", ""));
  writeAll(STDERR_FILENO, behaviour.value("stderr", ""));
  if (const int signal = behaviour.value("crash_signal", 0)) {
    ::signal(signal, SIG_DFL);
    ::raise(signal);
  }
  while (behaviour.value("run_until_terminated", false)) ::pause();
  return behaviour.value("exit_code", 0);
}
