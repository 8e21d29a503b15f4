// quorvane-server: the home server, one function per command.
#include <fcntl.h>
#include <sodium.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>

#include "cli.h"
#include "listener.h"

namespace {

using Words = std::vector<std::string>;

// Absent or empty, and afterwards only the owner's; removed again should
// anything after this fail, so that init can be tried again.
class NewDataFolder {
 public:
  explicit NewDataFolder(const fs::path& folder) : folder_(folder) {
    std::error_code error;
    if (fs::exists(folder) && !fs::is_empty(folder, error))
      throw Failure(folder.string() + " is not empty; a new server needs an empty folder.");
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) fail_on("create", folder);
    if (::chmod(folder.c_str(), 0700) != 0) fail_on("protect", folder);
  }
  ~NewDataFolder() {
    std::error_code error;
    if (!kept_)
      for (const auto& entry : fs::directory_iterator(folder_, error)) fs::remove_all(entry, error);
  }
  void keep() { kept_ = true; }

 private:
  fs::path folder_;
  bool kept_ = false;
};

int init(const Words& words) {
  Arguments arguments(words, {"--data", "--address", "--output"});
  auto request = read_request({"username", "display_name", "password"});
  NewAccount admin{request["username"], request["display_name"], request["password"], true};
  check_new_account(admin);
  Address address = parse_address(arguments.value("--address"));
  fs::path data = fs::absolute(arguments.value("--data"));
  const std::string& output = arguments.value("--output");
  NewDataFolder folder(data);
  TlsIdentity identity = make_tls_identity(address);
  save_tls_identity(data, identity);
  ObjectStore::create(data);
  std::string id = Catalogue::create(data, address.text(), admin);
  write_connection_file(output, {address.text(), identity.certificate, id});
  folder.keep();
  return 0;
}

// Held while serving: a second server on the same folder would share its
// temporary files and remove the first one's.
Descriptor lock_data_folder(const fs::path& data) {
  Descriptor lock = open_file(data / "serve.lock", O_RDWR | O_CREAT, 0600);
  if (::flock(lock.get(), LOCK_EX | LOCK_NB) != 0)
    throw Failure("Another quorvane-server is already serving " + data.string() + ".");
  return lock;
}

int serve(const Words& words) {
  Arguments arguments(words, {"--data", "--listen"});
  install_stop_handlers();
  std::signal(SIGPIPE, SIG_IGN);
  fs::path data = fs::absolute(arguments.value("--data"));
  Descriptor lock = lock_data_folder(data);
  Catalogue catalogue(data);
  TlsIdentity identity = load_tls_identity(data);
  Address listen =
      parse_address(arguments.has("--listen") ? arguments.value("--listen") : catalogue.address());
  Service service(data, {catalogue.address(), identity.certificate, catalogue.server_id()});
  service.objects.remove_temporaries();
  serve_connections(listen, identity, service);
  std::fprintf(stderr, "Stopped.\n");
  return 0;
}

int invite(const Words& words) {
  Arguments arguments(words, {"--data", "--username", "--output"});
  fs::path data = fs::absolute(arguments.value("--data"));
  Catalogue catalogue(data);
  ServerRef server{catalogue.address(), load_tls_identity(data).certificate, catalogue.server_id()};
  write_invitation(arguments.value("--output"),
                   catalogue.invite(arguments.value("--username"), server));
  return 0;
}

const std::map<std::string, int (*)(const Words&)> commands = {
    {"init", init}, {"serve", serve}, {"invite", invite}};

}  // namespace

int main(int argc, char** argv) {
  Words words(argv + 1, argv + argc);
  auto command = words.empty() ? commands.end() : commands.find(words[0]);
  if (command == commands.end()) {
    std::fprintf(stderr,
                 "usage: quorvane-server init --data DIR --address HOST:PORT --output FILE\n"
                 "       quorvane-server serve --data DIR [--listen HOST:PORT]\n"
                 "       quorvane-server invite --data DIR --username NAME --output FILE\n");
    return 2;
  }
  try {
    if (sodium_init() < 0) throw Failure("The cryptography library could not start.");
    return command->second(Words(words.begin() + 1, words.end()));
  } catch (const Failure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "Quorvane Home could not finish: %s.\n", failure.what());
  } catch (const Stopped&) {
  }
  return 1;
}
