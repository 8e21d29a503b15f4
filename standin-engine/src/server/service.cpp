#include "service.h"

#include "digest.h"
#include "requests.h"

using nlohmann::json;
using Kind = Refusal::Kind;

namespace {

int status_of(Kind kind) {
  switch (kind) {
    case Kind::bad_request:
      return 400;
    case Kind::unauthorized:
      return 401;
    case Kind::forbidden:
      return 403;
    case Kind::not_found:
      return 404;
    case Kind::conflict:
      return 409;
    case Kind::too_large:
      return 413;
    case Kind::too_many:
      return 429;
  }
  return 400;
}

Caller authenticate(Catalogue& catalogue, const std::string& header) {
  auto proof = parse_device_header(header);
  if (!proof)
    throw Refusal(Kind::unauthorized, "This request does not say which computer sends it.");
  return catalogue.authenticate(proof->device, proof->secret);
}

void answer(Exchange& exchange, int status, const std::string& sentence) {
  if (exchange.answered()) throw ConnectionLost{};  // a stream cannot be taken back
  exchange.respond(status, json{{"error", sentence}}.dump());
}

}  // namespace

Service::Service(const fs::path& data, const ServerRef& server)
    : data(data), server(server), objects(data) {}

json Call::body() const {
  if (exchange.body_size() > largest_json_body)
    throw Refusal(Kind::too_large, "The request is too large.");
  std::string text(exchange.body_size(), '\0');
  for (size_t done = 0; done < text.size();)
    done += exchange.read(text.data() + done, text.size() - done);
  return parse_json_body(text);
}

void Call::reply(const json& answer) const {
  exchange.respond(200, answer.dump(-1, ' ', false, json::error_handler_t::replace));
}

void Service::handle(Exchange& exchange, std::optional<Catalogue>& catalogue) {
  const std::string& target = exchange.target();
  std::string path = target.substr(0, target.find('?'));
  const Route* route = nullptr;
  for (const auto* routes : {&account_routes, &file_routes})
    for (const Route& candidate : *routes)
      if (path == candidate.path && exchange.method() == candidate.method) route = &candidate;
  try {
    if (!route) throw Refusal(Kind::not_found, "Quorvane Home does not know this request.");
    if (!catalogue) catalogue.emplace(data);
    Call call{exchange, *catalogue, *this, std::nullopt};
    if (route->device) call.caller = authenticate(*catalogue, exchange.header("Authorization"));
    route->handler(call);
  } catch (const Refusal& refusal) {
    answer(exchange, status_of(refusal.kind), refusal.what());
  } catch (const Malformed& malformed) {
    answer(exchange, 400, malformed.what());
  } catch (const NoSpace&) {
    answer(exchange, 507, "Quorvane Home has no room left on its disk.");
  } catch (const Failure& failure) {
    answer(exchange, 503, failure.what());
  } catch (const json::exception&) {
    answer(exchange, 400, "The request is not what Quorvane Home expects.");
  } catch (const std::exception& failure) {
    answer(exchange, 500, std::string("Quorvane Home could not answer: ") + failure.what() + ".");
  }
}
