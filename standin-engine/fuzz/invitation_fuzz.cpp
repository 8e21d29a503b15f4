// A pairing invitation: a file that may come from anywhere.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cli.h"
#include "connection_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  try {
    parse_invitation(text, "invitation.quorvane-invitation");
  } catch (const Failure&) {
    // Refused with a sentence for the person: the one allowed outcome besides success.
  }
  return 0;
}
