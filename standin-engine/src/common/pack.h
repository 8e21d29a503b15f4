// A pack: the contents of many files in one request or response body, so that
// small files travel in few round trips and large ones stream. Each entry is the
// line "<64 hex digest> <decimal size>\n" and then exactly that many bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli.h"
#include "files.h"

struct PackEntry {
  std::string digest;
  uint64_t size = 0;
};

// A body that is not a pack, or a pack cut short.
struct Malformed : Failure {
  using Failure::Failure;
};

std::string pack_entry_header(const PackEntry& entry);

// Where a pack's bytes come from: a request body, a response body, memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to size bytes; 0 only at the end.
  virtual size_t read(char* into, size_t size) = 0;
};

class PackReader {
 public:
  explicit PackReader(ByteSource& source) : source_(source), buffer_(1 << 16) {}
  // The next entry's header, or none at the end of the pack. Throws Malformed
  // when the previous entry was not read to its end or the header is not one.
  std::optional<PackEntry> next();
  // Up to size bytes of the current entry; 0 at its end. Throws Malformed when
  // the pack ends inside the entry.
  size_t read(char* into, size_t size);

 private:
  bool fill();

  ByteSource& source_;
  std::vector<char> buffer_;
  size_t start_ = 0, end_ = 0;
  uint64_t left_ = 0;  // bytes of the current entry not yet read
};

// Writes the current entry into a temporary file and returns the digest of what
// it wrote.
std::string copy_entry(PackReader& reader, TempFile& into);
