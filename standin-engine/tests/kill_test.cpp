// Processes killed with SIGKILL: the server or a computer in the middle of a
// transfer, and two computers' passes at random moments, hundreds of times, while
// their person keeps editing. Afterwards nothing is lost, nothing is half
// written, and the folders agree.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <set>
#include <thread>

#include "engine_harness.h"

namespace {

// The previous version stays whole everywhere, and the next pass finishes the
// transfer. A server asked to stop ends within a second, and as well.
TEST_F(EngineTest, a_transfer_killed_on_either_side_is_redone_on_the_next_pass) {
  enum class Side { server, computer };
  const struct {
    Side killed;
    bool upload;
    int signal = SIGKILL;
  } cases[] = {{Side::server, true},          {Side::computer, true},
               {Side::server, false},         {Side::computer, false},
               {Side::server, true, SIGTERM}, {Side::server, false, SIGINT}};
  const Computer admin = sign_in("admin");
  int row = 0;
  for (const auto& c : cases) {
    // An account for each case, so that one case's files stay out of the next.
    const std::string user = "user" + std::to_string(row++), password = user + " password";
    SCOPED_TRACE(user);
    create_user(admin, user, password);
    Computer desk = sign_in(user + "-desk", user, password);
    Computer laptop = sign_in(user + "-laptop", user, password);
    write_text(desk.folder / "big.bin", "first version");
    sync(desk);
    sync(laptop);
    // A second version large enough to be caught on its way.
    write_text(desk.folder / "big.bin", "second version");
    fs::resize_file(desk.folder / "big.bin", 256ull << 20);
    if (!c.upload) sync(desk);
    const Computer& mover = c.upload ? desk : laptop;
    fs::path arriving = c.upload ? home->data / "tmp" : laptop.folder / ".quorvane" / "tmp";
    pid_t watch = start_engine({"watch", "--config", mover.config});
    auto in_progress = [&] {
      std::error_code error;
      for (const auto& entry : fs::directory_iterator(arriving, error))
        if (entry.file_size(error) > (1 << 20)) return true;
      return false;
    };
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool caught = false;
    while (!(caught = in_progress()) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_TRUE(caught) << "the transfer was never seen under way";
    if (c.killed == Side::server) {
      auto signalled = std::chrono::steady_clock::now();
      int status = home->stop(c.signal);
      if (c.signal != SIGKILL) {
        EXPECT_EQ(status, 0);
        EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
      }
      home->start();
    }
    kill(watch, SIGKILL);
    wait_for(watch);
    // Whole, old or new (a loaded machine may let the transfer end before the kill).
    std::string there = read_text(laptop.folder / "big.bin");
    EXPECT_TRUE(there == "first version" || there.size() == 256u << 20);
    sync(mover);
    sync(laptop);
    EXPECT_EQ(fs::file_size(laptop.folder / "big.bin"), 256ull << 20);
    EXPECT_EQ(history(desk).size(), 2u);
    EXPECT_TRUE(fs::is_empty(home->data / "tmp"));
  }
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
  for (int round = 0; round < 200; ++round) {
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
  std::cout << interrupted << " of 400 passes were killed before they ended\n";
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
    EXPECT_EQ(sha256_of(read_text(home->data / "objects" / object.substr(0, 2) / object)), object);
    stored.insert(object);
  }
  for (const std::string& content : kept)
    EXPECT_TRUE(written.contains(content)) << "half-written: " << content.substr(0, 20);
  for (const std::string& content : written) {
    if (overwritten.contains(content)) continue;
    EXPECT_TRUE(kept.contains(content) || stored.contains(sha256_of(content)))
        << "lost: " << content.substr(0, 20);
  }
}

}  // namespace
