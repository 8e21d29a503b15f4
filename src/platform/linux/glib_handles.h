#pragma once

#include <glib.h>

#include <memory>

// Owners for what GLib hands out, each released the way GLib asks.
namespace quorvane::glib {

struct FreeString {
  void operator()(gchar* text) const { g_free(text); }
};
struct FreeStrings {
  void operator()(gchar** texts) const { g_strfreev(texts); }
};
struct UnrefKeyFile {
  void operator()(GKeyFile* file) const { g_key_file_unref(file); }
};
struct FreeError {
  void operator()(GError* error) const { g_error_free(error); }
};

using String = std::unique_ptr<gchar, FreeString>;
using Strings = std::unique_ptr<gchar*, FreeStrings>;
using KeyFile = std::unique_ptr<GKeyFile, UnrefKeyFile>;
using Error = std::unique_ptr<GError, FreeError>;

}  // namespace quorvane::glib
