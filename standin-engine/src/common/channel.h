// A TLS connection whose every operation ends by a deadline or at a stop signal,
// for Beast's synchronous algorithms. Each operation runs asynchronously on the
// channel's own io_context, which this thread drives in short slices; a deadline
// passed or a stop requested cancels it. Included only by the translation units
// that speak HTTP, to keep Asio's compile time where it is needed.
#pragma once

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <chrono>
#include <optional>
#include <utility>

#include "cli.h"

namespace net = boost::asio;
using error_code = boost::system::error_code;
using Clock = std::chrono::steady_clock;

// Runs the operation that start begins until it completes, cancelling it at the
// deadline or a stop signal; `why` then says which.
enum class Interruption { none, deadline, stop };

template <typename Start, typename Cancel>
std::pair<error_code, size_t> run_until(net::io_context& io, Clock::time_point deadline,
                                        Interruption& why, Start start, Cancel cancel) {
  std::optional<std::pair<error_code, size_t>> done;
  start([&](const error_code& error, size_t size = 0) { done.emplace(error, size); });
  io.restart();
  why = Interruption::none;
  while (!done) {
    io.run_one_for(std::chrono::milliseconds(50));
    if (!done && why == Interruption::none && (stop_requested() || Clock::now() > deadline)) {
      why = stop_requested() ? Interruption::stop : Interruption::deadline;
      cancel();
    }
  }
  return *done;
}

class Channel {
 public:
  using executor_type = net::io_context::executor_type;

  Channel(net::io_context& io, net::ssl::context& tls) : io_(io), stream_(io, tls) {}
  executor_type get_executor() { return io_.get_executor(); }
  net::ip::tcp::socket& socket() { return stream_.next_layer(); }
  SSL* native() { return stream_.native_handle(); }
  // Every operation from now on must end within this time.
  void allow(std::chrono::milliseconds time) { deadline_ = Clock::now() + time; }
  Interruption interruption() const { return why_; }

  void connect(const net::ip::tcp::endpoint& endpoint, error_code& error) {
    error = run([&](auto done) { socket().async_connect(endpoint, done); }).first;
  }
  void handshake(net::ssl::stream_base::handshake_type type, error_code& error) {
    error = run([&](auto done) { stream_.async_handshake(type, done); }).first;
  }
  void shutdown(error_code& error) {
    error = run([&](auto done) { stream_.async_shutdown(done); }).first;
  }

  template <typename Buffers>
  size_t read_some(const Buffers& buffers, error_code& error) {
    auto [result, size] = run([&](auto done) { stream_.async_read_some(buffers, done); });
    error = result;
    return size;
  }
  template <typename Buffers>
  size_t read_some(const Buffers& buffers) {
    error_code error;
    size_t size = read_some(buffers, error);
    if (error) throw boost::system::system_error(error);
    return size;
  }
  // Up to size bytes of a message body: first what reading its head left in
  // `buffer`, then from the connection.
  size_t read_body(boost::beast::flat_buffer& buffer, char* into, size_t size, error_code& error) {
    if (buffer.size() == 0) return read_some(net::buffer(into, size), error);
    size_t got = net::buffer_copy(net::buffer(into, size), buffer.data());
    buffer.consume(got);
    return got;
  }
  template <typename Buffers>
  size_t write_some(const Buffers& buffers, error_code& error) {
    auto [result, size] = run([&](auto done) { stream_.async_write_some(buffers, done); });
    error = result;
    return size;
  }
  template <typename Buffers>
  size_t write_some(const Buffers& buffers) {
    error_code error;
    size_t size = write_some(buffers, error);
    if (error) throw boost::system::system_error(error);
    return size;
  }

 private:
  template <typename Start>
  std::pair<error_code, size_t> run(Start start) {
    return run_until(io_, deadline_, why_, start, [this] {
      error_code ignored;
      socket().cancel(ignored);
    });
  }

  net::io_context& io_;
  net::ssl::stream<net::ip::tcp::socket> stream_;
  Clock::time_point deadline_ = Clock::now();
  Interruption why_ = Interruption::none;
};
