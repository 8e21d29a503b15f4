#include "platform/linux/host_name.h"

#include <limits.h>
#include <unistd.h>

#include "platform/posix/files.h"

namespace quorvane {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

// One value, read from `at` up to the end of its logical line, as a shell would.
std::string parseValue(std::string_view text, std::size_t& at) {
  std::string value;
  std::size_t kept = 0;  // length without trailing unquoted blanks
  while (at < text.size() && isBlank(text[at])) ++at;
  while (at < text.size() && text[at] != '\n') {
    char c = text[at++];
    if (c == '\'') {
      while (at < text.size() && text[at] != '\'') value += text[at++];
      ++at;
      kept = value.size();
    } else if (c == '"') {
      while (at < text.size() && text[at] != '"') {
        char inner = text[at++];
        if (inner == '\\' && at < text.size()) {
          char next = text[at];
          if (next == '\n') {
            ++at;  // line continuation
            continue;
          }
          if (next == '"' || next == '\\' || next == '$' || next == '`') {
            value += next;
            ++at;
            continue;
          }
        }
        value += inner;
      }
      ++at;
      kept = value.size();
    } else if (c == '\\') {
      if (at < text.size() && text[at] == '\n') {
        ++at;
      } else if (at < text.size()) {
        value += text[at++];
        kept = value.size();
      }
    } else {
      value += c;
      if (!isBlank(c)) kept = value.size();
    }
  }
  value.resize(kept);
  return value;
}

}  // namespace

std::optional<std::string> prettyHostName(std::string_view text) {
  std::optional<std::string> found;
  std::size_t at = 0;
  while (at < text.size()) {
    while (at < text.size() && (isBlank(text[at]) || text[at] == '\n')) ++at;
    if (at == text.size()) break;
    std::size_t lineEnd = text.find('\n', at);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::size_t equals = text.find('=', at);
    if (text[at] == '#' || text[at] == ';' || equals > lineEnd) {
      at = lineEnd;
      continue;
    }
    std::string_view key = text.substr(at, equals - at);
    while (!key.empty() && isBlank(key.back())) key.remove_suffix(1);
    at = equals + 1;
    std::string value = parseValue(text, at);
    if (key == "PRETTY_HOSTNAME") found = value;  // the last assignment wins
  }
  if (!found || found->empty()) return std::nullopt;
  return found;
}

std::optional<std::string> hostName(const std::filesystem::path& machineInfo) {
  if (auto content = files::readWhole(machineInfo, 1 << 16)) {
    if (auto pretty = prettyHostName(*content)) return pretty;
  }
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return std::nullopt;
  return std::string(name);
}

}  // namespace quorvane
