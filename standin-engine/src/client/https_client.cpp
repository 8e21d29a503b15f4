#include "https_client.h"

#include <openssl/pem.h>
#include <openssl/x509.h>

#include <limits>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>

#include "address.h"
#include "channel.h"

namespace http = boost::beast::http;
using namespace std::chrono_literals;

namespace {

constexpr auto connect_time = 5s, handshake_time = 10s, progress_time = 60s;
// The server flushes what it received before answering, which may take a while.
constexpr auto answer_time = 300s;
constexpr uint64_t largest_answer = 256ull << 20;

using X509Pointer = std::unique_ptr<X509, decltype(&X509_free)>;

X509Pointer parse_certificate(const std::string& pem) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(
      BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())), BIO_free);
  X509Pointer certificate(bio ? PEM_read_bio_X509(bio.get(), nullptr, nullptr, nullptr) : nullptr,
                          X509_free);
  if (!certificate)
    throw Failure("The certificate this computer has for Quorvane Home is damaged.");
  return certificate;
}

// Replaces the whole chain check: the one certificate accepted is the pinned one.
int matches_pin(X509_STORE_CTX* store, void* pinned) {
  X509* presented = X509_STORE_CTX_get0_cert(store);
  return presented && X509_cmp(presented, static_cast<X509*>(pinned)) == 0 ? 1 : 0;
}

// Made whole before any stream: a stream copies the verification settings of its
// context when it is created.
net::ssl::context pinning_context(X509* pinned) {
  net::ssl::context tls(net::ssl::context::tls_client);
  SSL_CTX* context = tls.native_handle();
  SSL_CTX_set_min_proto_version(context, TLS1_3_VERSION);
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
  SSL_CTX_set_cert_verify_callback(context, matches_pin, pinned);
  return tls;
}

}  // namespace

struct HttpsClient::Connection {
  Connection(const ServerRef& server)
      : pinned(parse_certificate(server.certificate)),
        tls(pinning_context(pinned.get())),
        channel(io, tls),
        where(server.address) {
    SSL_set_verify(channel.native(), SSL_VERIFY_PEER, nullptr);
    Address address = parse_address(server.address);
    error_code error;
    net::ip::tcp::resolver resolver(io);
    auto endpoints = resolver.resolve(address.host, std::to_string(address.port), error);
    if (error) unreachable();
    for (const auto& endpoint : endpoints) {
      channel.socket().close(error);
      channel.allow(connect_time);
      channel.connect(endpoint, error);
      throw_if_stopped();
      if (!error) break;
    }
    if (error) unreachable();
    channel.socket().set_option(net::ip::tcp::no_delay(true), error);
    channel.allow(handshake_time);
    channel.handshake(net::ssl::stream_base::client, error);
    throw_if_stopped();
    if (error && error.category() == net::error::get_ssl_category() &&
        ERR_GET_REASON(static_cast<unsigned long>(error.value())) ==
            SSL_R_CERTIFICATE_VERIFY_FAILED)
      throw Failure("The server at " + where +
                    " is not the Quorvane Home this computer knows: it showed another "
                    "certificate. Nothing was sent to it.");
    if (error) unreachable();
  }

  [[noreturn]] void unreachable() {
    throw_if_stopped();
    throw Unreachable("Quorvane Home cannot be reached at " + where + ".");
  }
  void check(const error_code& error) {
    if (error) unreachable();
  }

  void write_head(const Request& request, uint64_t size) {
    http::request<http::empty_body> head{http::string_to_verb(request.method), request.target, 11};
    head.set(http::field::host, where);
    if (!request.authorization.empty()) head.set(http::field::authorization, request.authorization);
    head.set(http::field::content_length, std::to_string(size));
    http::request_serializer<http::empty_body> serializer(head);
    error_code error;
    channel.allow(progress_time);
    http::write_header(channel, serializer, error);
    check(error);
  }
  // The server answered before the whole body was sent (a refusal).
  bool answered_early() {
    error_code error;
    return buffer.size() > 0 || channel.socket().available(error) > 0;
  }
  void write(std::string_view data) {
    error_code error;
    channel.allow(progress_time);
    net::write(channel, net::buffer(data.data(), data.size()), error);
    check(error);
  }

  // Reads the answer's head; its body is left for read_body.
  http::response_parser<http::empty_body>& read_head() {
    parser.emplace();
    parser->header_limit(16 * 1024);
    parser->body_limit(std::numeric_limits<std::uint64_t>::max());  // read_body and whole_answer
                                                                    // limit what they read
    error_code error;
    channel.allow(answer_time);
    http::read_header(channel, buffer, *parser, error);
    check(error);
    if (parser->chunked())
      throw Failure("Quorvane Home answered in a way this engine does not read.");
    body_left = parser->content_length().value_or(0);
    return *parser;
  }
  size_t read_body(char* into, size_t size) {
    size = static_cast<size_t>(std::min<uint64_t>(size, body_left));
    if (size == 0) return 0;
    error_code error;
    channel.allow(progress_time);
    size_t got = channel.read_body(buffer, into, size, error);
    check(error);
    body_left -= got;
    return got;
  }
  Reply whole_answer(int status) {
    if (body_left > largest_answer) throw Failure("Quorvane Home’s answer is too large.");
    Reply reply{status, std::string(body_left, '\0')};
    for (size_t done = 0; done < reply.body.size();)
      done += read_body(reply.body.data() + done, reply.body.size() - done);
    return reply;
  }

  struct Body final : ByteSource {
    explicit Body(Connection& connection) : connection(connection) {}
    size_t read(char* into, size_t size) override { return connection.read_body(into, size); }
    Connection& connection;
  };

  X509Pointer pinned;
  net::io_context io;
  net::ssl::context tls;
  Channel channel;
  std::string where;
  boost::beast::flat_buffer buffer;
  std::optional<http::response_parser<http::empty_body>> parser;
  uint64_t body_left = 0;
};

HttpsClient::HttpsClient(const ServerRef& server)
    : server_(server), connection_(std::make_unique<Connection>(server)) {}

HttpsClient::~HttpsClient() = default;

HttpsClient::Connection& HttpsClient::connection() {
  if (!connection_) connection_ = std::make_unique<Connection>(server_);
  return *connection_;
}

// Whatever breaks an exchange part way leaves the connection out of step.
template <typename Exchange>
HttpsClient::Reply HttpsClient::whole_or_drop(Exchange exchange) {
  try {
    return exchange(connection());
  } catch (...) {
    connection_.reset();
    throw;
  }
}

HttpsClient::Reply HttpsClient::call(const Request& request, const std::string& body) {
  return send(request, body.size(), [&](const BodyWriter& write) { write(body); });
}

HttpsClient::Reply HttpsClient::send(const Request& request, uint64_t size,
                                     const std::function<void(const BodyWriter&)>& write_body) {
  return whole_or_drop([&](Connection& connection) {
    struct AnsweredEarly {};
    connection.write_head(request, size);
    try {
      write_body([&](std::string_view data) {
        if (connection.answered_early()) throw AnsweredEarly{};
        connection.write(data);
      });
    } catch (const AnsweredEarly&) {
      // A refusal part way (a full disk, say): its answer, and a connection whose
      // request was never finished.
      Reply refusal = connection.whole_answer(connection.read_head().get().result_int());
      connection_.reset();
      return refusal;
    }
    return connection.whole_answer(connection.read_head().get().result_int());
  });
}

HttpsClient::Reply HttpsClient::fetch(const Request& request, const std::string& body,
                                      const std::function<void(ByteSource&)>& read_answer) {
  return whole_or_drop([&](Connection& connection) {
    connection.write_head(request, body.size());
    connection.write(body);
    int status = static_cast<int>(connection.read_head().get().result_int());
    if (status != 200) return connection.whole_answer(status);
    Connection::Body answer(connection);
    read_answer(answer);
    if (connection.body_left != 0) throw Failure("Quorvane Home sent more than was asked for.");
    return Reply{status, {}};
  });
}
