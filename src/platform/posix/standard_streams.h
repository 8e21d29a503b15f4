#pragma once

namespace quorvane {

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed. A process
// started with one of them closed would otherwise put the next file it opens
// there, and every child would inherit that file as a standard stream. Call it
// first thing in main(), before any thread or file exists. False when /dev/null
// cannot be opened.
bool fillStandardStreams();

}  // namespace quorvane
