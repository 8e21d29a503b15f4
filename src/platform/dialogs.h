#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quorvane {

// Responses as AppKit numbers them: buttons count from 1000 in the order added;
// panels answer 1 for OK and 0 for Cancel.
inline constexpr int kAlertFirstButtonReturn = 1000;
inline constexpr int kModalResponseOK = 1;
inline constexpr int kModalResponseCancel = 0;
// A modal ended by the application rather than by the person (quitting while it
// was up): no button was pressed.
inline constexpr int kModalResponseAbort = -1000;

// Points, with the origin at the bottom left of the accessory area (AppKit's
// convention); an adapter with a top-left origin flips y itself.
struct Frame {
  double x = 0, y = 0, width = 0, height = 0;
  bool operator==(const Frame&) const = default;
};

struct AlertField {
  enum class Kind { label, text, secureText, popUp };
  Kind kind = Kind::text;
  Frame frame;
  std::string text;                // initial text (label, text, secureText)
  std::string placeholder;         // text and secureText only
  std::vector<std::string> items;  // popUp only; duplicate titles stay separate items
  int selected = 0;                // popUp only: index selected when the alert opens
  bool operator==(const AlertField&) const = default;
};

// Shown below the informative text.
struct AlertAccessory {
  double width = 0, height = 0;
  std::vector<AlertField> fields;         // in the order added (drawing order)
  std::optional<std::size_t> firstFocus;  // index into fields: the initial first responder
  bool operator==(const AlertAccessory&) const = default;
};

struct Alert {
  std::string messageText;           // the bold heading
  std::string informativeText;       // below it
  std::vector<std::string> buttons;  // in order; empty: a single "OK"
  std::optional<AlertAccessory> accessory;
  bool operator==(const Alert&) const = default;
};

struct AlertFieldResult {
  std::string text;   // the final text (popUp: the selected item's title)
  int selected = -1;  // popUp only: index of the selected item
  bool operator==(const AlertFieldResult&) const = default;
};

struct AlertResult {
  int response = kAlertFirstButtonReturn;  // 1000 + index of the button pressed
  std::vector<AlertFieldResult> fields;    // one per accessory field, same order
};

struct OpenPanel {
  std::string title;
  std::string message;
  bool canChooseFiles = true;
  bool canChooseDirectories = false;
  bool canCreateDirectories = false;
  bool allowsMultipleSelection = false;
  std::optional<std::filesystem::path> directory;  // where it opens; none: the adapter's default
  bool operator==(const OpenPanel&) const = default;
};

struct SavePanel {
  std::string title;
  std::string message;
  std::string nameFieldStringValue;  // initial file name
  std::optional<std::filesystem::path> directory;
  bool operator==(const SavePanel&) const = default;
};

struct PanelResult {
  int response = kModalResponseCancel;
  std::optional<std::filesystem::path> url;  // the chosen path, when there is one
};

}  // namespace quorvane
