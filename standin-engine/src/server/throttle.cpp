#include "throttle.h"

#include <algorithm>
#include <cmath>

int LoginThrottle::wait(const std::string& address) {
  std::lock_guard lock(mutex_);
  auto found = records_.find(address);
  if (found == records_.end()) return 0;
  auto left = std::chrono::duration<double>(found->second.next_try - Clock::now()).count();
  return left > 0 ? static_cast<int>(std::ceil(left)) : 0;
}

void LoginThrottle::failed(const std::string& address) {
  std::lock_guard lock(mutex_);
  auto now = Clock::now();
  // Addresses that stopped trying long ago are forgotten, so the table stays small.
  if (records_.size() > 10000)
    std::erase_if(records_, [&](const auto& entry) {
      return now - entry.second.next_try > std::chrono::minutes(10);
    });
  Record& record = records_[address];
  ++record.failures;
  int delay = record.failures < 5 ? 0 : std::min(60, 2 << std::min(record.failures - 5, 5));
  record.next_try = now + std::chrono::seconds(delay);
}

void LoginThrottle::succeeded(const std::string& address) {
  std::lock_guard lock(mutex_);
  records_.erase(address);
}
