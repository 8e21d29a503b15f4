// The server's requests: a table of routes, each a small handler over the
// connection's catalogue and the shared object store.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "catalogue.h"
#include "exchange.h"
#include "object_store.h"
#include "throttle.h"

// What every connection shares.
class Service {
 public:
  Service(const fs::path& data, const ServerRef& server);
  // Answers one request; every path through it ends in a response, refusals
  // too. The catalogue is the connection's own, opened at its first request.
  void handle(Exchange& exchange, std::optional<Catalogue>& catalogue);

  const fs::path data;
  const ServerRef server;
  const ObjectStore objects;
  LoginThrottle throttle;
};

// A request on its way through a handler.
struct Call {
  Exchange& exchange;
  Catalogue& catalogue;
  Service& service;
  std::optional<Caller> caller;  // the device that asked, on routes that need one

  nlohmann::json body() const;
  void reply(const nlohmann::json& answer) const;
  const Caller& device() const { return *caller; }

  // A password or invitation check, refused at once while the address must wait,
  // and counted as a failure when the check fails.
  template <typename Attempt>
  auto throttled(Attempt attempt) {
    const std::string& address = exchange.peer();
    if (int seconds = service.throttle.wait(address))
      throw Refusal(Refusal::Kind::too_many,
                    "Too many failed sign-ins from this computer; try again in " +
                        std::to_string(seconds) + " seconds.");
    try {
      auto result = attempt();
      service.throttle.succeeded(address);
      return result;
    } catch (const Refusal& refusal) {
      if (refusal.kind == Refusal::Kind::unauthorized) service.throttle.failed(address);
      throw;
    }
  }
};

struct Route {
  const char* method;
  const char* path;
  bool device;  // the caller must show a device's credentials
  void (*handler)(Call& call);
};

extern const std::vector<Route> account_routes;
extern const std::vector<Route> file_routes;

// {"username", "display_name", "password_set", "admin"}
nlohmann::json account_details(const Account& account);
