#pragma once

#include <optional>
#include <string>
#include <utility>

namespace quorvane {

// The result of parsing a file's content, kept beside the content it came from.
// The file is still read afresh every time; only when its bytes are the same as
// last time is the parse skipped, so the result is always that of the bytes just
// read. For the files the refresh tick reads every two seconds. Not thread-safe.
template <typename Result>
class ParsedContent {
 public:
  template <typename Parse>
  const Result& of(std::string content, Parse parse) {
    if (content_ != content) {
      result_ = parse(content);
      content_ = std::move(content);
    }
    return result_;
  }

 private:
  std::optional<std::string> content_;
  Result result_{};
};

}  // namespace quorvane
