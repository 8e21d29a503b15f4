#pragma once

#include <filesystem>
#include <optional>

#include "common/parsed_content.h"
#include "platform/system.h"

namespace quorvane {

// Where the front end's files and the engine's are. Each is computed afresh on
// every access and none creates anything.
class Locations {
 public:
  explicit Locations(const System& system) : system_(system) {}

  std::filesystem::path support() const;    // the support folder's "Quorvane"
  std::filesystem::path config() const;     // the client configuration the engine writes
  std::filesystem::path syncLog() const;    // where the watch process writes
  std::filesystem::path engine() const;     // the bundle's Contents/MacOS/quorvane
  std::filesystem::path resources() const;  // the bundle's Contents/Resources
  std::filesystem::path home() const { return system_.homeDirectory(); }
  // The sync folder the client configuration names, read anew every time: the
  // engine rewrites the configuration when it signs in.
  std::optional<std::filesystem::path> folder() const;

 private:
  const System& system_;
  // The last configuration read, with the folder it named.
  mutable ParsedContent<std::optional<std::filesystem::path>> configFolder_;
};

}  // namespace quorvane
