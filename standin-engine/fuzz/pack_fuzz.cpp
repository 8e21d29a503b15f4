// A pack as the server receives it in an upload and the engine in a download.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "pack.h"

namespace {

class Memory final : public ByteSource {
 public:
  Memory(const std::uint8_t* data, std::size_t size) : data_(data), left_(size) {}
  size_t read(char* into, size_t size) override {
    size = std::min({size, left_, size_t{7}});  // short reads, as a network gives them
    std::memcpy(into, data_, size);
    data_ += size;
    left_ -= size;
    return size;
  }

 private:
  const std::uint8_t* data_;
  std::size_t left_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Memory memory(data, size);
  PackReader pack(memory);
  char chunk[100];
  try {
    while (auto entry = pack.next()) {
      uint64_t total = 0;
      while (size_t got = pack.read(chunk, sizeof chunk)) total += got;
      if (total != entry->size) __builtin_trap();
    }
  } catch (const Malformed&) {
  }
  return 0;
}
