// One TLS connection to Quorvane Home that trusts exactly the certificate this
// computer was given: no certificate authority, no system store, no name check
// that another certificate could pass. HTTP/1.1 with keep-alive over it; a
// request that fails part way drops the connection, and the next one connects anew.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "connection_files.h"
#include "pack.h"

class HttpsClient {
 public:
  // Connects and checks the certificate before anything is sent. Throws
  // Unreachable when nothing answers, and a Failure when another server does.
  explicit HttpsClient(const ServerRef& server);
  ~HttpsClient();

  struct Request {
    const char* method;
    std::string target;
    std::string authorization;  // empty: none
  };
  struct Reply {
    int status = 0;
    std::string body;
  };
  using BodyWriter = std::function<void(std::string_view)>;

  // A small body out, a small answer back.
  Reply call(const Request& request, const std::string& body);
  // A body of exactly `size` bytes, which `write_body` hands to its writer.
  Reply send(const Request& request, uint64_t size,
             const std::function<void(const BodyWriter&)>& write_body);
  // A small body out; a successful answer is read by `read_answer` as it
  // arrives, any other comes back whole.
  Reply fetch(const Request& request, const std::string& body,
              const std::function<void(ByteSource&)>& read_answer);

 private:
  struct Connection;
  Connection& connection();
  template <typename Exchange>
  Reply whole_or_drop(Exchange exchange);

  ServerRef server_;
  std::unique_ptr<Connection> connection_;
};
