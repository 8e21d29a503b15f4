// Slows down guessing: after five failed sign-ins in a row from one address,
// each further attempt from it must wait, twice as long after each failure
// (2 s, 4 s, … up to a minute). A success forgets the address.
#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <string>

class LoginThrottle {
 public:
  // Whole seconds the address must still wait; 0 when it may try now.
  int wait(const std::string& address);
  void failed(const std::string& address);
  void succeeded(const std::string& address);

 private:
  using Clock = std::chrono::steady_clock;
  struct Record {
    int failures = 0;
    Clock::time_point next_try;
  };

  std::mutex mutex_;
  std::map<std::string, Record> records_;
};
