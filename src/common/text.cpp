#include "common/text.h"

#include <unicode/brkiter.h>
#include <unicode/normalizer2.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

#include <memory>

namespace quorvane {

std::string graphemePrefix(std::string_view utf8, std::size_t count) {
  // Every character takes at least one byte: a text this short is its own prefix,
  // and the refresh tick passes one every two seconds.
  if (utf8.size() <= count) return std::string(utf8);
  UErrorCode status = U_ZERO_ERROR;
  UText* text = utext_openUTF8(nullptr, utf8.data(), static_cast<int64_t>(utf8.size()), &status);
  std::unique_ptr<UText, decltype(&utext_close)> textOwner(text, &utext_close);
  std::unique_ptr<icu::BreakIterator> breaks(
      icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
  if (U_FAILURE(status)) return std::string(utf8);
  breaks->setText(text, status);
  if (U_FAILURE(status)) return std::string(utf8);
  // With UTF-8 UText, boundaries are byte offsets into `utf8`.
  int32_t end = breaks->first();
  for (std::size_t i = 0; i < count; ++i) {
    int32_t next = breaks->next();
    if (next == icu::BreakIterator::DONE) return std::string(utf8);
    end = next;
  }
  return std::string(utf8.substr(0, static_cast<std::size_t>(end)));
}

// Cluster by cluster: a boundary found from the start of a cluster is the one found
// from the start of the text, and the texts split here are names, a few dozen bytes.
std::vector<std::string_view> graphemes(std::string_view utf8) {
  std::vector<std::string_view> clusters;
  while (!utf8.empty()) {
    std::size_t length = graphemePrefix(utf8, 1).size();
    if (length == 0) length = utf8.size();
    clusters.push_back(utf8.substr(0, length));
    utf8.remove_prefix(length);
  }
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

bool canonicallyEquivalent(std::string_view a, std::string_view b) {
  if (a == b) return true;
  if (!validUtf8(std::string(a)) || !validUtf8(std::string(b))) return false;
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  if (U_FAILURE(status)) return false;
  const icu::UnicodeString left = nfd->normalize(icu::UnicodeString::fromUTF8(a), status);
  const icu::UnicodeString right = nfd->normalize(icu::UnicodeString::fromUTF8(b), status);
  return U_SUCCESS(status) && left == right;
}

}  // namespace quorvane
