// quorvane: the stand-in sync engine, which reaches its home server over TLS.
#include <sodium.h>

#include <cstdio>

#include "cli.h"
#include "commands.h"

int main(int argc, char** argv) {
  Words words(argv + 1, argv + argc);
  Command command = nullptr;
  std::string names;
  for (const Commands* commands : {&setup_commands, &account_commands, &watch_commands}) {
    for (const auto& [name, run] : *commands) {
      names += " " + name;
      if (!words.empty() && words[0] == name) command = run;
    }
  }
  if (!command) {
    std::fprintf(stderr, "usage: quorvane <command> [--option value]…; commands:%s\n",
                 names.c_str());
    return 2;
  }
  try {
    if (sodium_init() < 0) throw Failure("The cryptography library could not start.");
    return command(Words(words.begin() + 1, words.end()));
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "Quorvane could not finish: %s.\n", failure.what());
  } catch (const Stopped&) {
  }
  return 1;
}
