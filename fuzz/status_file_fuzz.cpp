// The status file the engine rewrites every few seconds, read on every tick.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "status/status_look.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::optional<std::string> content(std::in_place, reinterpret_cast<const char*>(data), size);
  const quorvane::StatusLook look = quorvane::statusLook(content, 1'800'000'000.0);
  // Whatever the file holds, the indicator shows one of its own symbols.
  if (look.symbol.empty() || look.text.empty()) __builtin_trap();
  return 0;
}
