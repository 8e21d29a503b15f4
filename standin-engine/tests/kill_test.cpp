// Two computers' watch passes killed with SIGKILL at random moments, hundreds of
// times, while their person keeps editing: afterwards nothing is lost, nothing
// is half written, and both folders agree.
#include <signal.h>
#include <sodium.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "engine_harness.h"

namespace {

std::string digest_of(const std::string& content) {
  unsigned char digest[crypto_generichash_BYTES];
  crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(content.data()),
                     content.size(), nullptr, 0);
  char hex[sizeof digest * 2 + 1];
  return sodium_bin2hex(hex, sizeof hex, digest, sizeof digest);
}

TEST_F(EngineTest, sigkill_at_any_moment_loses_nothing) {
  const Computer computers[] = {sign_in("desk"), sign_in("laptop")};
  std::mt19937 random(8);
  std::set<std::string> written;      // every content the person wrote
  std::set<std::string> overwritten;  // contents the person replaced or deleted themselves
  int counter = 0, interrupted = 0;
  // The kill comes at a random moment within a window that follows how long passes
  // take on this machine now, so that the moments spread over whole passes.
  int window = 40000;  // microseconds
  for (int round = 0; round < 300; ++round) {
    std::vector<pid_t> passes;
    for (const Computer& computer : computers) {
      fs::path file = computer.folder / ("f" + std::to_string(random() % 5) + ".txt");
      if (fs::exists(file)) overwritten.insert(read_text(file));
      if (random() % 6 == 0) {
        fs::remove(file);
      } else {
        std::string content = std::to_string(++counter) + std::string(random() % 200000, '.');
        write_text(file, content);
        written.insert(content);
      }
      passes.push_back(start_engine({"watch", "--config", computer.config, "--once"}));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % window));
    int killed = 0;
    for (pid_t pass : passes) {
      kill(pass, SIGKILL);
      killed += wait_for(pass) == 128 + SIGKILL;
    }
    interrupted += killed;
    window = std::clamp(killed == 2   ? window * 5 / 4
                        : killed == 0 ? window * 4 / 5
                                      : window,
                        2000, 500000);
  }
  std::cout << interrupted << " of 600 passes were killed before they ended\n";
  for (int settle = 0; settle < 2; ++settle)
    for (const Computer& computer : computers) sync(computer);

  EXPECT_EQ(folder_contents(computers[0].folder), folder_contents(computers[1].folder));
  std::set<std::string> kept;
  for (const Computer& computer : computers) {
    for (const auto& [path, content] : folder_contents(computer.folder)) kept.insert(content);
    fs::path recovered = computer.folder / ".quorvane" / "recovered";
    if (!fs::exists(recovered)) continue;
    for (const auto& [path, content] : folder_contents(recovered))
      if (!path.ends_with(".original-path.txt")) kept.insert(content);
  }
  std::set<std::string> stored;
  for (const auto& element : history(computers[0])) {
    const auto& record = element[1];
    if (record["content"].is_null()) continue;
    std::string object = record["content"];
    EXPECT_EQ(digest_of(read_text(server / "objects" / object.substr(0, 2) / object)), object);
    stored.insert(object);
  }
  for (const std::string& content : kept)
    EXPECT_TRUE(written.contains(content)) << "half-written: " << content.substr(0, 20);
  for (const std::string& content : written) {
    if (overwritten.contains(content)) continue;
    EXPECT_TRUE(kept.contains(content) || stored.contains(digest_of(content)))
        << "lost: " << content.substr(0, 20);
  }
}

}  // namespace
