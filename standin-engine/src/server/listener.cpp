#include "listener.h"

#include <openssl/ssl.h>

#include <atomic>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/http.hpp>
#include <cstdio>
#include <limits>
#include <list>
#include <thread>

#include "channel.h"

namespace http = boost::beast::http;
using namespace std::chrono_literals;

namespace {

constexpr size_t most_connections = 64;
constexpr auto handshake_time = 10s, idle_time = 60s, progress_time = 30s;

// One line on standard error; a control character someone sent shows as '?',
// so that nobody can forge a line or steer the terminal that reads the log.
void log_request(std::string line) {
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
  std::fprintf(stderr, "%s\n", line.c_str());
}

class HttpExchange final : public Exchange {
 public:
  HttpExchange(Channel& channel, boost::beast::flat_buffer& buffer,
               const http::request<http::empty_body>& request, const std::string& peer,
               uint64_t body_size)
      : channel_(channel),
        buffer_(buffer),
        request_(request),
        method_(request.method_string()),
        target_(request.target()),
        peer_(peer),
        body_size_(body_size),
        body_left_(body_size) {}

  const std::string& method() const override { return method_; }
  const std::string& target() const override { return target_; }
  const std::string& peer() const override { return peer_; }
  uint64_t body_size() const override { return body_size_; }
  std::string header(std::string_view name) const override {
    auto found = request_.find(boost::beast::string_view(name.data(), name.size()));
    return found == request_.end() ? std::string() : std::string(found->value());
  }
  bool answered() const override { return status_ != 0; }
  int status() const { return status_; }
  uint64_t body_left() const { return body_left_; }

  size_t read(char* into, size_t size) override {
    size = static_cast<size_t>(std::min<uint64_t>(size, body_left_));
    if (size == 0) return 0;
    error_code error;
    channel_.allow(progress_time);
    size_t got = channel_.read_body(buffer_, into, size, error);
    if (error) lost();
    body_left_ -= got;
    return got;
  }

  void respond(int status, const std::string& json) override {
    http::response<http::string_body> response{static_cast<http::status>(status), 11};
    response.set(http::field::content_type, "application/json");
    response.keep_alive(request_.keep_alive());
    response.body() = json;
    response.prepare_payload();
    status_ = status;
    error_code error;
    channel_.allow(progress_time);
    http::write(channel_, response, error);
    if (error) lost();
  }

  void begin_stream(uint64_t size) override {
    http::response<http::empty_body> response{http::status::ok, 11};
    response.set(http::field::content_type, "application/octet-stream");
    response.set(http::field::content_length, std::to_string(size));
    response.keep_alive(request_.keep_alive());
    http::response_serializer<http::empty_body> serializer(response);
    status_ = 200;
    error_code error;
    channel_.allow(progress_time);
    http::write_header(channel_, serializer, error);
    if (error) lost();
  }

  void write(std::string_view data) override {
    error_code error;
    channel_.allow(progress_time);
    net::write(channel_, net::buffer(data.data(), data.size()), error);
    if (error) lost();
  }

 private:
  [[noreturn]] void lost() {
    throw_if_stopped();
    throw ConnectionLost{};
  }

  Channel& channel_;
  boost::beast::flat_buffer& buffer_;
  const http::request<http::empty_body>& request_;
  std::string method_, target_;
  const std::string& peer_;
  uint64_t body_size_, body_left_;
  int status_ = 0;
};

// Someone spoke plain HTTP to the TLS port: one clear answer, unencrypted.
void refuse_plain_http(net::ip::tcp::socket& socket) {
  const std::string sentence = "Quorvane Home speaks only HTTPS on this port.\n";
  std::string response =
      "HTTP/1.1 400 Bad Request\r\nContent-Type: text/plain\r\nConnection: close\r\n"
      "Content-Length: " +
      std::to_string(sentence.size()) + "\r\n\r\n" + sentence;
  error_code ignored;
  socket.non_blocking(true, ignored);
  socket.send(net::buffer(response), 0, ignored);
}

class Connection {
 public:
  Connection(net::ssl::context& tls, Service& service) : channel_(io_, tls), service_(service) {}
  net::ip::tcp::socket& socket() { return channel_.socket(); }
  bool finished() const { return finished_; }

  void start() {
    thread_ = std::jthread([this] {
      try {
        serve();
      } catch (const ConnectionLost&) {
      } catch (const Stopped&) {
      } catch (const std::exception& failure) {
        log_request(peer_ + " connection ended: " + failure.what());
      }
      finished_ = true;
    });
  }

 private:
  void serve() {
    error_code error;
    peer_ = socket().remote_endpoint(error).address().to_string();
    socket().set_option(net::ip::tcp::no_delay(true), error);
    channel_.allow(handshake_time);
    channel_.handshake(net::ssl::stream_base::server, error);
    if (error) {
      if (error.category() == net::error::get_ssl_category() &&
          ERR_GET_REASON(static_cast<unsigned long>(error.value())) == SSL_R_HTTP_REQUEST) {
        refuse_plain_http(socket());
        log_request(peer_ + " plain HTTP refused");
      } else {
        log_request(peer_ + " TLS handshake failed: " + error.message());
      }
      return;
    }
    boost::beast::flat_buffer buffer;
    while (serve_one(buffer)) {
    }
    channel_.allow(500ms);
    channel_.shutdown(error);
  }

  // One request; false when the connection is to end.
  bool serve_one(boost::beast::flat_buffer& buffer) {
    http::request_parser<http::empty_body> parser;
    parser.header_limit(16 * 1024);
    parser.body_limit(
        std::numeric_limits<std::uint64_t>::max());  // each handler limits what it reads
    error_code error;
    channel_.allow(idle_time);
    http::read_header(channel_, buffer, parser, error);
    if (error == http::error::end_of_stream || error == net::ssl::error::stream_truncated ||
        error == net::error::eof || channel_.interruption() != Interruption::none)
      return false;
    const auto& request = parser.get();
    auto started = Clock::now();
    if (error) {
      plain_answer(request, 400, "The request is not HTTP that Quorvane Home understands.");
      log_request(peer_ + " malformed request refused: " + error.message());
      return false;
    }
    if (parser.chunked()) {
      plain_answer(request, 411, "Quorvane Home needs the length of every request body.");
      log_request(peer_ + " chunked request refused");
      return false;
    }
    HttpExchange exchange(channel_, buffer, request, peer_, parser.content_length().value_or(0));
    service_.handle(exchange, catalogue_);
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.3f s",
                  std::chrono::duration<double>(Clock::now() - started).count());
    log_request(peer_ + " " + exchange.method() + " " + exchange.target() + " " +
                std::to_string(exchange.status()) + " " + std::to_string(exchange.body_size()) +
                " bytes in, " + seconds);
    // A body the handler left unread would be taken for the next request.
    return request.keep_alive() && exchange.body_left() == 0;
  }

  void plain_answer(const http::request<http::empty_body>& request, int status,
                    const std::string& sentence) {
    HttpExchange exchange(channel_, scratch_, request, peer_, 0);
    exchange.respond(status, "{\"error\": \"" + sentence + "\"}");
  }

  net::io_context io_;
  Channel channel_;
  Service& service_;
  std::optional<Catalogue> catalogue_;
  std::string peer_;
  boost::beast::flat_buffer scratch_;
  std::atomic<bool> finished_ = false;
  std::jthread thread_;
};

net::ssl::context server_tls(const TlsIdentity& identity) {
  net::ssl::context tls(net::ssl::context::tls_server);
  SSL_CTX_set_min_proto_version(tls.native_handle(), TLS1_3_VERSION);
  // No session tickets: nothing arrives that the client did not ask for, so
  // bytes waiting on its socket mean an answer.
  SSL_CTX_set_num_tickets(tls.native_handle(), 0);
  tls.use_certificate_chain(net::buffer(identity.certificate));
  tls.use_private_key(net::buffer(identity.key), net::ssl::context::pem);
  return tls;
}

}  // namespace

void serve_connections(const Address& listen, const TlsIdentity& identity, Service& service) {
  net::io_context io;
  net::ssl::context tls = server_tls(identity);
  error_code error;
  auto host = net::ip::make_address(listen.host, error);
  if (error)
    throw Failure("Quorvane Home can listen only on an IP address, not on “" + listen.host + "”.");
  net::ip::tcp::acceptor acceptor(io);
  net::ip::tcp::endpoint endpoint(host, listen.port);
  acceptor.open(endpoint.protocol(), error);
  if (!error) acceptor.set_option(net::socket_base::reuse_address(true), error);
  if (!error) acceptor.bind(endpoint, error);
  if (!error) acceptor.listen(net::socket_base::max_listen_connections, error);
  if (error)
    throw Failure("Quorvane Home cannot listen on " + listen.text() + ": " + error.message() + ".");
  Address bound{host.to_string(), acceptor.local_endpoint().port()};
  std::fprintf(stderr, "Quorvane Home is listening on %s.\n", bound.text().c_str());

  std::list<Connection> connections;
  Interruption why = Interruption::none;
  while (!stop_requested()) {
    connections.remove_if([](const Connection& connection) { return connection.finished(); });
    auto& connection = connections.emplace_back(tls, service);
    // Wakes every so often to reap finished connections and to see a stop signal.
    auto [accepted, ignored] = run_until(
        io, Clock::now() + 1s, why,
        [&](auto done) { acceptor.async_accept(connection.socket(), done); },
        [&] { acceptor.cancel(error); });
    if (accepted) {
      connections.pop_back();
    } else if (connections.size() > most_connections) {
      connections.pop_back();  // closes it: a busy server sheds the newest
    } else {
      connection.start();
    }
  }
  // The connection threads see the stop signal within their next slice and end.
}
