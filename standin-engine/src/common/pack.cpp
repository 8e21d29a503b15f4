#include "pack.h"

#include <charconv>
#include <cstring>

#include "digest.h"

std::string pack_entry_header(const PackEntry& entry) {
  return entry.digest + " " + std::to_string(entry.size) + "\n";
}

bool PackReader::fill() {
  if (start_ == end_) start_ = end_ = 0;
  if (end_ == buffer_.size()) return false;
  size_t got = source_.read(buffer_.data() + end_, buffer_.size() - end_);
  end_ += got;
  return got > 0;
}

std::optional<PackEntry> PackReader::next() {
  if (left_ != 0) throw Malformed("A pack entry was not read to its end.");
  constexpr size_t longest = 64 + 1 + 20 + 1;
  for (;;) {
    const char* from = buffer_.data() + start_;
    auto* newline = static_cast<const char*>(std::memchr(from, '\n', end_ - start_));
    if (newline) {
      std::string_view line(from, static_cast<size_t>(newline - from));
      PackEntry entry;
      auto space = line.find(' ');
      entry.digest = std::string(line.substr(0, space));
      std::string_view size = space == std::string_view::npos ? "" : line.substr(space + 1);
      auto [end, error] = std::from_chars(size.data(), size.data() + size.size(), entry.size);
      if (!is_digest(entry.digest) || size.empty() || error != std::errc() ||
          end != size.data() + size.size())
        throw Malformed("A pack entry does not begin with a digest and a size.");
      start_ += line.size() + 1;
      left_ = entry.size;
      return entry;
    }
    if (end_ - start_ >= longest)
      throw Malformed("A pack entry does not begin with a digest and a size.");
    if (start_ > 0) {
      std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
      end_ -= start_;
      start_ = 0;
    }
    if (!fill()) {
      if (start_ == end_) return std::nullopt;
      throw Malformed("The pack ends inside an entry's header.");
    }
  }
}

size_t PackReader::read(char* into, size_t size) {
  if (left_ == 0 || size == 0) return 0;
  size = static_cast<size_t>(std::min<uint64_t>(size, left_));
  size_t got;
  if (start_ < end_) {
    got = std::min(size, end_ - start_);
    std::memcpy(into, buffer_.data() + start_, got);
    start_ += got;
  } else {
    got = source_.read(into, size);  // large reads bypass the buffer
  }
  if (got == 0) throw Malformed("The pack ends inside an entry.");
  left_ -= got;
  return got;
}

std::string copy_entry(PackReader& reader, TempFile& into) {
  static thread_local std::vector<char> chunk(1 << 20);
  Sha256 hasher;
  for (;;) {
    // Whole chunks: a network read gives one TLS record, far less than a good write.
    size_t got = 0;
    while (size_t more = reader.read(chunk.data() + got, chunk.size() - got)) got += more;
    if (got == 0) break;
    throw_if_stopped();
    std::string_view data(chunk.data(), got);
    hasher.update(data);
    into.write(data);
    beat_while_copying();
  }
  return hasher.finish();
}
