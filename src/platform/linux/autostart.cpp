#include "platform/linux/autostart.h"

#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/linux/glib_handles.h"
#include "platform/posix/error_text.h"
#include "platform/posix/files.h"

namespace quorvane::autostart {
namespace {

constexpr const char* kGroup = G_KEY_FILE_DESKTOP_GROUP;

// The characters desktop entries reserve in an Exec argument. Only an argument
// holding one is quoted, so that a plain path stays as it is.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// "%" starts a field code, so it is doubled; then quoted as the shell would.
std::string execArgument(const std::string& argument) {
  std::string escaped;
  for (char c : argument) {
    escaped += c;
    if (c == '%') escaped += '%';
  }
  if (!escaped.empty() && escaped.find_first_of(kReserved) == std::string::npos) return escaped;
  return glib::String(g_shell_quote(escaped.c_str())).get();
}

// Whether the session could start what an Exec value names: its first argument,
// unquoted, is an executable file, or a bare name found in $PATH.
bool startable(const gchar* exec) {
  gchar** words = nullptr;
  if (!g_shell_parse_argv(exec, nullptr, &words, nullptr)) return false;
  const glib::Strings owned(words);
  // As the session expands it: "%%" is a "%", any other field code nothing.
  const std::string_view word = words[0];
  std::string program;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (word[i] != '%') {
      program += word[i];
    } else if (++i < word.size() && word[i] == '%') {
      program += '%';
    }
  }
  return !program.empty() && glib::String(g_find_program_in_path(program.c_str())) != nullptr;
}

bool booleanOr(GKeyFile* file, const char* key, bool fallback) {
  GError* failure = nullptr;
  const bool value = g_key_file_get_boolean(file, kGroup, key, &failure);
  const glib::Error owned(failure);
  return failure ? fallback : value;
}

std::string entryText(const std::filesystem::path& program) {
  const glib::KeyFile file(g_key_file_new());
  g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_TYPE,
                        G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
  g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, "Quorvane");
  g_key_file_set_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC,
                        execArgument(program.string()).c_str());
  g_key_file_set_boolean(file.get(), kGroup, "X-GNOME-Autostart-enabled", true);
  g_key_file_set_boolean(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_NO_DISPLAY, true);
  return glib::String(g_key_file_to_data(file.get(), nullptr, nullptr)).get();
}

}  // namespace

LoginItemStatus status(const std::filesystem::path& entry) {
  // Read by our own means: a FIFO in the entry's place must not block the menu.
  const std::optional<std::string> content = files::readWhole(entry);
  const glib::KeyFile file(g_key_file_new());
  if (!content || !g_key_file_load_from_data(file.get(), content->data(), content->size(),
                                             G_KEY_FILE_NONE, nullptr)) {
    return LoginItemStatus::notRegistered;
  }
  if (booleanOr(file.get(), G_KEY_FILE_DESKTOP_KEY_HIDDEN, false) ||
      !booleanOr(file.get(), "X-GNOME-Autostart-enabled", true)) {
    return LoginItemStatus::notRegistered;
  }
  const glib::String exec(
      g_key_file_get_string(file.get(), kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC, nullptr));
  return exec && startable(exec.get()) ? LoginItemStatus::enabled : LoginItemStatus::notRegistered;
}

std::optional<std::string> install(const std::filesystem::path& entry,
                                   const std::filesystem::path& program) {
  if (auto error = files::createDirectories(entry.parent_path(), 0700)) return error;
  const std::string text = entryText(program);
  GError* failure = nullptr;
  const auto replaceSafely = static_cast<GFileSetContentsFlags>(G_FILE_SET_CONTENTS_CONSISTENT |
                                                                G_FILE_SET_CONTENTS_DURABLE);
  if (g_file_set_contents_full(entry.c_str(), text.data(), static_cast<gssize>(text.size()),
                               replaceSafely, 0644, &failure)) {
    return std::nullopt;
  }
  const glib::Error owned(failure);
  return std::string(owned->message);
}

std::optional<std::string> uninstall(const std::filesystem::path& entry) {
  if (::unlink(entry.c_str()) != 0 && errno != ENOENT) return describeError(errno, entry);
  return std::nullopt;
}

}  // namespace quorvane::autostart
