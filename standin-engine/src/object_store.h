// File contents on the server: immutable objects named by their digest, written
// under a temporary name and renamed into place, so that an interrupted copy
// leaves only a temporary file behind, never a damaged object.
#pragma once

#include <filesystem>
#include <string>

#include "files.h"

class ObjectStore {
 public:
  explicit ObjectStore(const fs::path& server_folder);
  // Copies what fd holds into the store and returns the object's name.
  std::string put(int fd, const fs::path& source);
  // Copies an object into a temporary file, checking that it is whole.
  void get(const std::string& name, TempFile& into) const;
  // Makes the objects put so far durable; done before the catalogue names them.
  void flush() const { flush_file_system(objects_); }
  // Temporary files of copies that were killed; other computers' copies in
  // progress are younger than a day.
  void remove_stale_temporaries() const;
  const fs::path& temporaries() const { return temporaries_; }

 private:
  fs::path path_of(const std::string& name) const;

  fs::path objects_;
  fs::path temporaries_;
};
