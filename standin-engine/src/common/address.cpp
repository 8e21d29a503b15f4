#include "address.h"

#include <charconv>

#include "cli.h"

std::string Address::text() const {
  bool v6 = host.find(':') != std::string::npos;
  return (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

Address parse_address(std::string_view text) {
  auto refuse = [&]() -> Address {
    throw Failure("“" + std::string(text) + "” is not an address of the form HOST:PORT.");
  };
  auto colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return refuse();
  std::string_view host = text.substr(0, colon), port = text.substr(colon + 1);
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return refuse();
    host = host.substr(1, host.size() - 2);
  } else if (host.find(':') != std::string_view::npos) {
    return refuse();
  }
  for (char c : host)
    if (static_cast<unsigned char>(c) <= ' ' || c == '/' || c == '[' || c == ']') return refuse();
  Address address{std::string(host), 0};
  auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), address.port);
  if (port.empty() || error != std::errc() || end != port.data() + port.size()) return refuse();
  return address;
}
