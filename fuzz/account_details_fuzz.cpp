// What account-info prints, read by "Account…" and "Create User…".
#include <cstddef>
#include <cstdint>
#include <string>

#include "account/account_details.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (auto details = quorvane::accountDetails(0, text)) {
    if (!details->is_object()) __builtin_trap();
    quorvane::isAdministrator(*details);
    if (quorvane::accountView(*details).firstButton.empty()) __builtin_trap();
  }
  return 0;
}
