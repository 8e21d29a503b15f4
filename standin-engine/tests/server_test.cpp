// The server as others meet it: an impostor, strangers, guessers, another account.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

#include "engine_harness.h"

namespace {

using nlohmann::json;

// A TCP connection to a loopback address, or -1.
int connected_to(const std::string& address) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(std::stoi(address.substr(address.find(':') + 1))));
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval patience{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  if (connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0) return fd;
  close(fd);
  return -1;
}

// Bytes sent straight over TCP, and all that came back before the server closed.
std::string over_tcp(const std::string& address, const std::string& bytes) {
  int fd = connected_to(address);
  std::string answer;
  if (fd >= 0) {
    (void)!write(fd, bytes.data(), bytes.size());
    char chunk[4096];
    for (ssize_t got; (got = read(fd, chunk, sizeof chunk)) > 0;) answer.append(chunk, got);
    close(fd);
  }
  return answer;
}

// The same over TLS, trusting anything, as a stranger's tool would.
std::string over_tls(const std::string& address, const std::string& bytes) {
  return run_program("/usr/bin/openssl", {"s_client", "-quiet", "-connect", address}, bytes).output;
}

std::string device_header(const Computer& computer) {
  auto device = json::parse(read_text(computer.config))["device"];
  return "Authorization: Device " + std::to_string(device["id"].get<int64_t>()) + " " +
         device["secret"].get<std::string>() + "\r\n";
}

std::string post(const std::string& target, const std::string& headers, const std::string& body) {
  return "POST " + target + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n" + headers +
         "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

// A connection file or invitation naming a server at an address; the engine must
// trust only the certificate it carries, whatever else this computer trusts.
TEST_F(EngineTest, another_certificate_is_refused_before_any_password_is_sent) {
  HomeServer other(root, "other"), impostor(root, "impostor");
  // The impostor shows a certificate for 127.0.0.1 from an authority this
  // computer's OpenSSL is told to trust.
  fs::path ca = root / "ca";
  fs::create_directories(ca);
  write_text(ca / "san.cnf", "subjectAltName=IP:127.0.0.1\n");
  for (const char* step :
       {"openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 2 "
        "-subj /CN=Test-CA -keyout ca.key -out ca.pem",
        "openssl req -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -subj /CN=127.0.0.1 "
        "-keyout key.pem -out request.csr",
        "openssl x509 -req -in request.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 "
        "-extfile san.cnf -out certificate.pem",
        "ln -s ca.pem \"$(openssl x509 -hash -noout -in ca.pem).0\""}) {
    auto made = run_program("/bin/sh",
                            {"-c", "cd '" + ca.string() + "' && " + std::string(step) + " 2>&1"});
    ASSERT_EQ(made.status, 0) << made.output;
  }
  fs::copy_file(ca / "key.pem", impostor.data / "key.pem", fs::copy_options::overwrite_existing);
  fs::copy_file(ca / "certificate.pem", impostor.data / "certificate.pem",
                fs::copy_options::overwrite_existing);
  other.start();
  impostor.start();
  const std::vector<std::string> trust_the_authority = {"SSL_CERT_FILE=" + (ca / "ca.pem").string(),
                                                        "SSL_CERT_DIR=" + ca.string()};
  auto invitation = json::parse(read_text(invitation_for("ada")));
  for (const HomeServer* answering : {&other, &impostor}) {
    auto profile = json::parse(read_text(home->profile));
    profile["address"] = invitation["address"] = answering->address;
    write_text(root / "redirected.quorvane-server", profile.dump());
    write_text(root / "redirected.quorvane-invitation", invitation.dump());
    const Computer desk = computer("desk");
    const std::string refused = "The server at " + answering->address +
                                " is not the Quorvane Home this computer knows: it showed another "
                                "certificate. Nothing was sent to it.\n";
    json login = {{"username", "ada"}, {"password", admin_password}, {"device", "desk"}};
    auto signed_in = run_program(QUORVANE_STANDIN_ENGINE,
                                 {"login", "--profile", root / "redirected.quorvane-server",
                                  "--folder", desk.folder, "--config", desk.config},
                                 login.dump(), trust_the_authority);
    EXPECT_EQ(signed_in.output, refused);
    auto paired = run_program(QUORVANE_STANDIN_ENGINE,
                              {"pair", "--invitation", root / "redirected.quorvane-invitation",
                               "--folder", desk.folder, "--config", desk.config},
                              "", trust_the_authority);
    EXPECT_EQ(paired.output, refused);
    EXPECT_FALSE(fs::exists(desk.config));
    EXPECT_EQ(answering->log().find(" POST "), std::string::npos) << answering->log();
  }
}

// A refusal or a closed connection each; a computer syncs meanwhile, beside an idle one.
TEST_F(EngineTest, strangers_are_refused_and_others_still_served) {
  Computer desk = sign_in("desk");
  std::string big_header = "GET /v1/account HTTP/1.1\r\nX-Filler: " + std::string(20000, 'x');
  const struct {
    bool tls;
    std::string request, answer;
  } cases[] = {
      {false, "GET /v1/account HTTP/1.1\r\nHost: x\r\n\r\n",
       "HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain"},
      {false, std::string(4096, '\x16'), ""},
      {true, "NOT HTTP AT ALL\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {true, big_header + "\r\n\r\n", "HTTP/1.1 400 Bad Request"},
      {true, "POST /v1/login HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
       "HTTP/1.1 411 Length Required"},
      {true, "POST /v1/login HTTP/1.1\r\nContent-Length: 100000000\r\n\r\n{",
       "HTTP/1.1 413 Payload Too Large"},
      {true, post("/v1/login", "", "{\"username\": 3"), "The request is not a JSON object"},
      {true, "GET /v1/account HTTP/1.1\r\nConnection: close\r\n\r\n",
       "This request does not say which computer sends it."},
      {true, "GET /etc/passwd HTTP/1.1\r\nConnection: close\r\n\r\n",
       "Quorvane Home does not know this request."},
      {true,
       post("/v1/versions", device_header(desk),
            R"([{"path": "../outside", "expected": 0, "object": null, "size": 0}])"),
       "The path “../outside” lies outside the account’s folder."},
      {true,
       post("/v1/versions", device_header(desk),
            R"([{"path": ".quorvane/base.sqlite", "expected": 0, "object": null, "size": 0}])"),
       "lies outside the account’s folder."},
  };
  int idle = connected_to(home->address);
  ASSERT_GE(idle, 0);
  for (const auto& c : cases) {
    std::string answer =
        c.tls ? over_tls(home->address, c.request) : over_tcp(home->address, c.request);
    if (c.answer.empty())
      EXPECT_EQ(answer, "") << c.request.substr(0, 40);
    else
      EXPECT_NE(answer.find(c.answer), std::string::npos)
          << c.request.substr(0, 40) << ": " << answer;
    write_text(desk.folder / "during.txt", c.request);
    sync(desk);
  }
  close(idle);
  EXPECT_NE(home->log().find("plain HTTP refused"), std::string::npos);
  EXPECT_EQ(run_server({"serve", "--data", home->data}).output,
            "Another quorvane-server is already serving " + home->data.string() + ".\n");
}

// Five failed sign-ins from one address make it wait, even with the right password.
TEST_F(EngineTest, repeated_failed_sign_ins_are_slowed_down) {
  const Computer desk = computer("desk");
  auto login = [&](const std::string& username, const std::string& password) {
    json request = {{"username", username}, {"password", password}, {"device", "desk"}};
    return run_engine({"login", "--profile", home->profile, "--folder", desk.folder, "--config",
                       desk.config},
                      request.dump())
        .output;
  };
  for (const auto& username : {"ada", "nobody", "ada", "nobody", "ada"})
    EXPECT_EQ(login(username, "not the password"), "The username or password is not correct.\n");
  EXPECT_TRUE(login("ada", admin_password)
                  .starts_with("Too many failed sign-ins from this computer; try again in "));
  EXPECT_FALSE(fs::exists(desk.config));
}

// Objects are stored once, but knowing a digest gets another account nothing.
TEST_F(EngineTest, one_account_never_reaches_another_accounts_objects) {
  Computer desk = sign_in("desk");
  create_user(desk, "bob", "bob's secret words");
  Computer laptop = sign_in("laptop", "bob", "bob's secret words");
  write_text(desk.folder / "private.txt", "ada's private words");
  sync(desk);
  const std::string digest = sha256_of("ada's private words");
  const std::pair<std::string, std::string> attempts[] = {
      {post("/v1/objects/fetch", device_header(laptop), json::array({digest}).dump()),
       "HTTP/1.1 404 Not Found"},
      {post("/v1/objects/missing", device_header(laptop), json::array({digest}).dump()),
       "[\"" + digest + "\"]"},
      {post("/v1/versions", device_header(laptop),
            json::array(
                {{{"path", "stolen.txt"}, {"expected", 0}, {"object", digest}, {"size", 19}}})
                .dump()),
       "{\"revisions\":[0]}"},
  };
  for (const auto& [request, answer] : attempts)
    EXPECT_NE(over_tls(home->address, request).find(answer), std::string::npos) << request;
  sync(laptop);
  EXPECT_TRUE(folder_contents(laptop.folder).empty());
}

// What does not fit on the server's disk is refused with a sentence; what fits is stored.
TEST_F(EngineTest, a_full_disk_refuses_with_a_sentence_and_the_server_goes_on) {
  // The server's data folder on a small disk, in this test's own mount namespace.
  struct SmallDisk {
    explicit SmallDisk(const fs::path& where) : where(where) {
      fs::create_directories(where);
      mounted = unshare(CLONE_NEWNS) == 0 &&
                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                mount("tmpfs", where.c_str(), "tmpfs", 0, "size=16m") == 0;
    }
    ~SmallDisk() {
      if (mounted) umount2(where.c_str(), MNT_DETACH);
    }
    fs::path where;
    bool mounted = false;
  } disk(root / "disk");
  ASSERT_TRUE(disk.mounted) << "a test disk needs root";
  HomeServer small(disk.where, "home");
  small.start();
  const Computer desk = computer("desk");
  json login = {{"username", "ada"}, {"password", admin_password}, {"device", "desk"}};
  ASSERT_EQ(run_engine({"login", "--profile", small.profile, "--folder", desk.folder, "--config",
                        desk.config},
                       login.dump())
                .status,
            0);
  write_text(desk.folder / "big.bin", std::string(24 << 20, 'x'));
  auto refused = command(desk, "watch", {"--once"});
  EXPECT_NE(refused.status, 0);
  EXPECT_NE(refused.output.find("Quorvane Home has no room left on its disk."), std::string::npos)
      << refused.output;
  fs::remove(desk.folder / "big.bin");
  write_text(desk.folder / "small.txt", "fits");
  sync(desk);
  EXPECT_EQ(history(desk).size(), 1u);
}

}  // namespace
