// What history prints: the one engine output that can be very large.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "history/history_versions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view output(reinterpret_cast<const char*>(data), size);
  if (auto versions = quorvane::readHistory(output)) {
    // Each element takes a few bytes at least; more versions than bytes is a bug.
    if (versions->size() > size) __builtin_trap();
  }
  return 0;
}
