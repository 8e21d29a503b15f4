// One request as a handler sees it, and the means to answer it, whatever carries
// them. The body is read through ByteSource::read and ends after its declared size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pack.h"

// The connection broke or timed out mid-exchange; the listener closes it.
struct ConnectionLost {};

class Exchange : public ByteSource {
 public:
  virtual const std::string& method() const = 0;
  virtual const std::string& target() const = 0;  // the path and any query
  virtual std::string header(std::string_view name) const = 0;
  virtual const std::string& peer() const = 0;  // the caller's IP address
  virtual uint64_t body_size() const = 0;
  // The answer: once, either whole or as a stream of exactly `size` bytes.
  virtual void respond(int status, const std::string& json) = 0;
  virtual void begin_stream(uint64_t size) = 0;
  virtual void write(std::string_view data) = 0;
  virtual bool answered() const = 0;
};
