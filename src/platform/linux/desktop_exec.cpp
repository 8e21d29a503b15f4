#include "platform/linux/desktop_exec.h"

#include <string_view>

namespace quorvane::desktop_exec {
namespace {

// Characters that make an Exec argument need quotes.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

std::string escapedAsStringValue(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\t':
        escaped += "\\t";
        break;
      case '\r':
        escaped += "\\r";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

std::string unescapedStringValue(std::string_view value) {
  std::string text;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      text += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's':
        text += ' ';
        break;
      case 'n':
        text += '\n';
        break;
      case 't':
        text += '\t';
        break;
      case 'r':
        text += '\r';
        break;
      default:
        text += value[i];
    }
  }
  return text;
}

}  // namespace

std::string argument(const std::string& argument) {
  std::string quoted;
  bool needsQuotes = argument.empty() || argument.find_first_of(kReserved) != std::string::npos;
  if (needsQuotes) quoted += '"';
  for (char c : argument) {
    if (c == '%') {
      quoted += "%%";
      continue;
    }
    if (needsQuotes && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    quoted += c;
  }
  if (needsQuotes) quoted += '"';
  return escapedAsStringValue(quoted);
}

std::optional<std::string> program(const std::string& execValue) {
  const std::string line = unescapedStringValue(execValue);
  std::size_t i = line.find_first_not_of(' ');
  if (i == std::string::npos) return std::nullopt;
  const bool quoted = line[i] == '"';
  if (quoted) ++i;
  std::string result;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted && c == '"') return result;
    if (!quoted && c == ' ') break;
    if (quoted && c == '\\' && i + 1 < line.size()) {
      result += line[++i];
      continue;
    }
    if (c == '%' && i + 1 < line.size() && line[i + 1] == '%') ++i;
    result += c;
  }
  if (quoted) return std::nullopt;  // no closing quote
  return result;
}

}  // namespace quorvane::desktop_exec
