// The JSON request a command reads on standard input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    auto request = parse_request(text, {"username", "password", "device"});
    if (request.size() != 3) __builtin_trap();
  } catch (const Failure&) {
    // Refused with a sentence for the person: the one allowed outcome besides success.
  }
  return 0;
}
