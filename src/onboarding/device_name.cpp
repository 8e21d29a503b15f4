#include "onboarding/device_name.h"

#include <string_view>

#include "common/machine_word.h"
#include "common/text.h"

namespace quorvane {
namespace {

constexpr std::size_t kLongestDeviceName = 24;

bool isAsciiLetterOrDigit(std::string_view character) {
  if (character.size() != 1) return false;
  const char c = character.front();
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string deviceName(const std::optional<std::string>& hostName) {
  const std::string host = hostName.value_or(kMachine.capitalized);
  std::string name;
  for (std::string_view character : graphemes(host)) {
    if (name.size() == kLongestDeviceName) break;
    if (isAsciiLetterOrDigit(character)) name += character;
  }
  return name.empty() ? kMachine.capitalized : name;
}

}  // namespace quorvane
