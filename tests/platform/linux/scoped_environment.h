#pragma once

#include <stdlib.h>

#include <optional>
#include <string>

namespace quorvane::testing {

// Sets (or with none, unsets) one environment variable until destroyed.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::string name, const std::optional<std::string>& value)
      : name_(std::move(name)) {
    if (const char* old = ::getenv(name_.c_str())) saved_ = old;
    set(value);
  }
  ~ScopedEnvironment() { set(saved_); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void set(const std::optional<std::string>& value) {
    if (value) ::setenv(name_.c_str(), value->c_str(), 1);
    if (!value) ::unsetenv(name_.c_str());
  }
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace quorvane::testing
