#pragma once

#include <string>

namespace quorvane::testing {

// The fixed text of the dialog with this title (an alert's informative text, a
// panel's message), or none when its text is the engine's or varies. FakeUi
// checks every dialog it is shown against it, so tests name dialogs by title only.
const std::string* fixedText(const std::string& title);

}  // namespace quorvane::testing
