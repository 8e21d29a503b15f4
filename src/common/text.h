#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvane {

// The first `count` user-perceived characters (extended grapheme clusters) of a
// UTF-8 text; a shorter text comes back whole.
std::string graphemePrefix(std::string_view utf8, std::size_t count);

// The user-perceived characters of a UTF-8 text, in order, as views into it.
std::vector<std::string_view> graphemes(std::string_view utf8);

// The text when it is well-formed UTF-8 (no overlong forms, no surrogates); none
// otherwise.
std::optional<std::string> validUtf8(std::string bytes);

// Whether two UTF-8 texts are canonically equivalent: the same characters, however
// accents are composed ("é" as one code point or as "e" and a combining accent).
// Malformed UTF-8 equals only the very same bytes.
bool canonicallyEquivalent(std::string_view a, std::string_view b);

}  // namespace quorvane
