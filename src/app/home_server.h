#pragma once

namespace quorvane {

// The one name of the home server: the bundle's own server connection file is
// named after it, the pairing success text names it, and the export suggests it.
inline constexpr const char* kHomeServerName = "Quorvane Home";

}  // namespace quorvane
