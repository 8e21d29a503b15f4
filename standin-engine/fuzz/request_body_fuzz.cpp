// Every JSON body the server reads; the first byte picks which request it is.
#include <cstddef>
#include <cstdint>
#include <string>

#include "requests.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  try {
    nlohmann::json body = parse_json_body(text);
    switch (data[0] % 5) {
      case 0:
        parse_sign_in(body);
        break;
      case 1:
        parse_new_account(body);
        text_member(body, "current_password");
        break;
      case 2:
        parse_digests(body);
        break;
      case 3:
        for (const auto& version : parse_versions(body))
          if (!acceptable_path(version.path)) __builtin_trap();
        break;
      case 4:
        integer_member(body, "invitation");
        integer_member(body, "revision");
        break;
    }
  } catch (const Refusal&) {
    // Refused with a sentence: the one allowed outcome besides success.
  }
  return 0;
}
