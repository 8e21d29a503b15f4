#pragma once

namespace quorvane {

// How the texts name this kind of machine: "This Mac" on macOS, "This computer"
// elsewhere. Every text that names the machine takes its word from here.
struct MachineWord {
  const char* singular;     // "computer", as in "Connect this computer"
  const char* plural;       // "computers"
  const char* capitalized;  // "Computer", as in the title "Set Up This Computer…"
};

#if defined(__APPLE__)
inline constexpr MachineWord kMachine{"Mac", "Macs", "Mac"};
#else
inline constexpr MachineWord kMachine{"computer", "computers", "Computer"};
#endif

}  // namespace quorvane
