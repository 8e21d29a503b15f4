// The client configuration the engine writes: the folder on every tick, the
// account details at launch.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/client_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  if (auto folder = quorvane::folderInConfig(content); folder && folder->empty()) __builtin_trap();
  if (auto account = quorvane::accountInConfig(content); account && !account->is_object()) {
    __builtin_trap();
  }
  return 0;
}
