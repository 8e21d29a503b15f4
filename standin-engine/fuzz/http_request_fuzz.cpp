// The head of a request as it arrives at the server's port, with the parts the
// server reads itself: the device's proof and the revisions in the query.
#include <boost/beast/http.hpp>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "requests.h"

namespace http = boost::beast::http;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  http::request_parser<http::empty_body> parser;
  parser.header_limit(16 * 1024);
  parser.body_limit(std::numeric_limits<std::uint64_t>::max());
  parser.eager(false);
  boost::system::error_code error;
  parser.put(boost::asio::buffer(data, size), error);
  if (error || !parser.is_header_done()) return 0;
  const auto& request = parser.get();
  try {
    auto query = parse_changes_query(std::string(request.target()));
    if (query.since < 0 || query.known < 0) __builtin_trap();
  } catch (const Refusal&) {
  }
  auto found = request.find(http::field::authorization);
  if (found != request.end()) {
    auto proof = parse_device_header(std::string(found->value()));
    if (proof && proof->device < 0) __builtin_trap();
  }
  return 0;
}
