// quorvane: the stand-in sync engine, whose home server is a folder.
#include <sodium.h>

#include <cstdio>
#include <map>

#include "cli.h"
#include "commands.h"

int main(int argc, char** argv) {
  static const std::map<std::string, int (*)(const Words&)> commands = {
      {"account-create", account_create},
      {"account-info", account_info},
      {"account-password", account_password},
      {"export-profile", export_profile},
      {"history", history},
      {"invite", invite},
      {"login", login},
      {"pair", pair},
      {"relogin", relogin},
      {"restore", restore},
      {"server-init", server_init},
      {"watch", watch}};
  Words words(argv + 1, argv + argc);
  auto command = words.empty() ? commands.end() : commands.find(words[0]);
  if (command == commands.end()) {
    std::string names;
    for (const auto& [name, run] : commands) names += " " + name;
    std::fprintf(stderr, "usage: quorvane <command> [--option value]…; commands:%s\n",
                 names.c_str());
    return 2;
  }
  try {
    if (sodium_init() < 0) throw Failure("The cryptography library could not start.");
    return command->second(Words(words.begin() + 1, words.end()));
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "Quorvane could not finish: %s.\n", failure.what());
  } catch (const Stopped&) {
  }
  return 1;
}
