#pragma once

#include <QIcon>
#include <string>

namespace quorvane {

// The project's own drawing of a system-symbol name; an empty icon for a name it
// does not know.
QIcon symbolIcon(const std::string& symbolName);

// The application's own icon.
QIcon applicationIcon();

}  // namespace quorvane
