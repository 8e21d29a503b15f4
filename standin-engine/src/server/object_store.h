// File contents on the server: immutable objects named by their SHA-256 digest,
// received under a temporary name, checked, and renamed into place, so that an
// interrupted transfer leaves only a temporary file behind, never a damaged object.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files.h"
#include "pack.h"

class ObjectStore {
 public:
  explicit ObjectStore(const fs::path& data);
  // Creates the folders of a new data folder.
  static void create(const fs::path& data);
  // Receives the current entry of a pack; false when what arrived does not have
  // the digest it was sent under (it is then dropped).
  bool receive(PackReader& pack, const PackEntry& entry) const;
  // The object open for reading, and its size; none when it is not stored.
  std::optional<std::pair<Descriptor, uint64_t>> open(const std::string& name) const;
  // Reads the object through: false when it is not stored whole. A damaged one is
  // set aside under damaged/ until a whole copy arrives, so that a computer that
  // still has the content is asked for it.
  bool check(const std::string& name) const;
  // Objects set aside as damaged that no computer has sent again yet.
  std::vector<std::string> wanted() const;
  // Makes the objects received so far durable; done before the catalogue names them.
  void flush() const { flush_file_system(objects_); }
  // Copies in progress when the server last stopped; only one server runs per folder.
  void remove_temporaries() const;

 private:
  fs::path path_of(const std::string& name) const;

  fs::path objects_;
  fs::path temporaries_;
  fs::path damaged_;
};
