#pragma once

#include <optional>
#include <string>

// The Exec key of a desktop entry: its arguments are quoted by the entry's own
// rules, and the whole value is then escaped as a string value.
namespace quorvane::desktop_exec {

// One argument for an Exec line: quoted when it holds a reserved character, "%" as
// "%%", then escaped as a string value.
std::string argument(const std::string& argument);

// The program an Exec value starts (its first argument, unquoted); none when the
// value is empty or its quoting is broken.
std::optional<std::string> program(const std::string& execValue);

}  // namespace quorvane::desktop_exec
