#include "common/text.h"

#include <unicode/brkiter.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

#include <memory>

namespace quorvane {

namespace {

// Hands each grapheme cluster's end, a byte offset into `utf8`, to `next` until it
// returns false. False when ICU cannot segment the text.
template <typename Next>
bool forEachGraphemeEnd(std::string_view utf8, Next&& next) {
  UErrorCode status = U_ZERO_ERROR;
  UText* text = utext_openUTF8(nullptr, utf8.data(), static_cast<int64_t>(utf8.size()), &status);
  std::unique_ptr<UText, decltype(&utext_close)> textOwner(text, &utext_close);
  std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) return false;
  breaks->setText(text, status);
  if (U_FAILURE(status)) return false;
  // With UTF-8 UText, boundaries are byte offsets into `utf8`.
  breaks->first();
  for (int32_t end = breaks->next(); end != icu::BreakIterator::DONE; end = breaks->next()) {
    if (!next(static_cast<std::size_t>(end))) break;
  }
  return true;
}

}  // namespace

std::string graphemePrefix(std::string_view utf8, std::size_t count) {
  std::size_t taken = 0, end = 0;
  const bool segmented = forEachGraphemeEnd(utf8, [&](std::size_t next) {
    if (taken == count) return false;
    ++taken;
    end = next;
    return true;
  });
  if (!segmented || taken < count) return std::string(utf8);
  return std::string(utf8.substr(0, end));
}

std::vector<std::string_view> graphemes(std::string_view utf8) {
  std::vector<std::string_view> clusters;
  std::size_t start = 0;
  const bool segmented = forEachGraphemeEnd(utf8, [&](std::size_t end) {
    clusters.push_back(utf8.substr(start, end - start));
    start = end;
    return true;
  });
  if (!segmented) clusters.clear();
  return clusters;
}

std::optional<std::string> validUtf8(std::string bytes) {
  UErrorCode status = U_ZERO_ERROR;
  int32_t length = 0;
  // Preflight into no buffer: ICU still checks every sequence.
  u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
  if (status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING) {
    status = U_ZERO_ERROR;
  }
  if (U_FAILURE(status)) return std::nullopt;
  return bytes;
}

}  // namespace quorvane
