// Processes killed in the middle of transfers and passes: nothing is lost or half written.
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <set>
#include <thread>

#include "engine_harness.h"

namespace {

// The previous version stays whole everywhere, and the next pass finishes the
// transfer. A program asked to stop ends within a second, and as well.
TEST_F(EngineTest, a_transfer_killed_on_either_side_is_redone_on_the_next_pass) {
  enum class Side { server, computer };
  const struct {
    Side killed;
    bool upload;
    int signal = SIGKILL;
  } cases[] = {{Side::server, true},           {Side::computer, true},
               {Side::server, false},          {Side::computer, false},
               {Side::server, true, SIGTERM},  {Side::server, false, SIGINT},
               {Side::computer, true, SIGTERM}};
  for (const auto& c : cases) {
    const auto [user, password, desk, laptop] = new_household();
    SCOPED_TRACE(user);
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
    ASSERT_TRUE(eventually(in_progress, std::chrono::seconds(30)))
        << "the transfer was never seen under way";
    const auto signalled = std::chrono::steady_clock::now();
    if (c.killed == Side::computer) kill(watch, c.signal);
    int status = c.killed == Side::server ? home->stop(c.signal) : wait_for(watch);
    if (c.signal != SIGKILL) {
      EXPECT_EQ(status, 0);
      EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(1));
    }
    if (c.killed == Side::server) {
      home->start();
      kill(watch, SIGKILL);
      wait_for(watch);
    }
    // What the server was receiving is gone as soon as it knows the transfer dead.
    EXPECT_TRUE(eventually([&] { return fs::is_empty(home->data / "tmp"); }));
    // Whole, old or new (a loaded machine may let the transfer end before the kill).
    std::string there = read_text(laptop.folder / "big.bin");
    EXPECT_TRUE(there == "first version" || there.size() == 256u << 20);
    sync(mover);
    sync(laptop);
    EXPECT_EQ(fs::file_size(laptop.folder / "big.bin"), 256ull << 20);
    EXPECT_EQ(history(desk).size(), 2u);
  }
}

// Three computers edited (one through a memory map), the server once restored from a backup.
TEST_F(EngineTest, sigkill_at_any_moment_loses_nothing) {
  const Computer computers[] = {sign_in("desk"), sign_in("laptop"), sign_in("tablet")};
  std::mt19937 random(8);
  std::set<std::string> written;      // every content the person wrote
  std::set<std::string> overwritten;  // contents the person replaced or deleted themselves
  int counter = 0, interrupted = 0;
  // The writer through a map: its file changes without its time, once written.
  const fs::path mapped = computers[0].folder / "mapped.bin";
  auto map_content = [&] { return "mapped " + std::to_string(++counter) + std::string(4096, '.'); };
  std::string through_map = map_content().substr(0, 4096);
  write_text(mapped, through_map);
  written.insert(through_map);
  int fd = open(mapped.c_str(), O_RDWR | O_CLOEXEC);
  auto* map = static_cast<char*>(mmap(nullptr, 4096, PROT_WRITE, MAP_SHARED, fd, 0));
  close(fd);
  const fs::path backup = root / "backup";
  // The kill comes at a random moment within a window that follows how long passes
  // take on this machine now, so that the moments spread over whole passes.
  int window = 40000;  // microseconds
  const int rounds = 150;
  for (int round = 0; round < rounds; ++round) {
    if (round == rounds / 3) {
      home->stop();
      fs::copy(home->data, backup, fs::copy_options::recursive);
      home->start();
    } else if (round == 2 * rounds / 3) {
      home->stop();
      fs::remove_all(home->data);
      fs::rename(backup, home->data);
      home->start();
      // Each person acts on what their status says.
      for (const Computer& computer : computers) {
        auto rejoined = command(computer, "rejoin");
        EXPECT_EQ(rejoined.status, 0) << rejoined.output;
      }
    }
    overwritten.insert(through_map);
    written.insert(through_map = map_content().substr(0, 4096));
    std::memcpy(map, through_map.data(), through_map.size());
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
    bool server_too = random() % 8 == 0;
    if (server_too) home->stop(SIGKILL);
    int killed = 0;
    for (pid_t pass : passes) {
      kill(pass, SIGKILL);
      killed += wait_for(pass) == 128 + SIGKILL;
    }
    if (server_too) home->start();
    interrupted += killed;
    window = std::clamp(killed == 3   ? window * 5 / 4
                        : killed == 0 ? window * 4 / 5
                                      : window,
                        2000, 500000);
  }
  std::cout << interrupted << " of " << 3 * rounds << " passes were killed before they ended\n";
  munmap(map, 4096);
  // The last write through the map may not show in its time: the daily check reads it.
  run_sql(computers[0].folder / ".quorvane" / "base.sqlite", "UPDATE base SET checked = 1");
  for (int settle = 0; settle < 2; ++settle)
    for (const Computer& computer : computers) sync(computer);

  // Every computer holds what the server has last; nothing there was never written.
  std::map<std::string, std::string> on_server;
  std::set<std::string> stored;
  for (const auto& element : history(computers[0])) {
    const auto& record = element[1];
    on_server.erase(element[0]);
    if (record["content"].is_null()) continue;
    std::string object = record["content"];
    std::string content = read_text(home->data / "objects" / object.substr(0, 2) / object);
    EXPECT_EQ(sha256_of(content), object);
    EXPECT_TRUE(written.contains(content)) << "half-written: " << content.substr(0, 20);
    on_server[element[0]] = content;
    stored.insert(object);
  }
  std::set<std::string> kept;
  for (const Computer& computer : computers) {
    EXPECT_EQ(folder_contents(computer.folder), on_server) << computer.folder;
    for (const auto& [path, content] : folder_contents(computer.folder)) kept.insert(content);
    for (const auto& [path, content] : recovered(computer)) kept.insert(content);
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
