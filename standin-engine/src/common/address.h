// "HOST:PORT" as people write it: a name, an IPv4 address or a bracketed IPv6 one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct Address {
  std::string host;
  uint16_t port = 0;
  std::string text() const;
};

// Throws a Failure naming the text when it is not HOST:PORT.
Address parse_address(std::string_view text);
