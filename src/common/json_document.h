#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

namespace quorvane {

using Json = nlohmann::json;

// Files and output written by the engine may hold anything. The parser and the
// destructor of a parsed value recurse once per level, so a document nested deeper
// than this is refused before it is built rather than crashing the front end.
inline constexpr std::size_t kMaxJsonDepth = 512;

// Strict JSON (no comments, one value, valid UTF-8); none when it does not parse or
// nests deeper than kMaxJsonDepth.
std::optional<Json> parseJson(std::string_view text);

// The members of a top-level object whose values are strings, numbers, booleans or
// null, read in one pass without building the nested values; none when the text is
// not an object or is not strict JSON within kMaxJsonDepth. For files read on
// every refresh tick, where only such members matter.
std::optional<Json> parseTopLevelScalars(std::string_view text);

// The member `key` of `object` when `object` is an object holding it; else null.
const Json* member(const Json& object, std::string_view key);

}  // namespace quorvane
