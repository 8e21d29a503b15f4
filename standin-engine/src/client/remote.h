// Quorvane Home as the engine's commands see it: each request as a function, a
// refusal as a Failure carrying the server's sentence.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "client_config.h"
#include "https_client.h"

// The latest version of a path on the server; no object for a deletion.
struct RemoteVersion {
  int64_t revision = 0;
  std::optional<std::string> object;
  int64_t size = 0;
};

struct Changes {
  int64_t latest = 0;
  std::map<std::string, RemoteVersion> files;
};

// A file to send: where it is, what it should hold, and how much.
struct Outgoing {
  fs::path file;
  std::string digest;
  uint64_t size = 0;
};

struct NewVersion {
  std::string path;
  int64_t expected_revision = 0;
  std::optional<std::string> object;
  int64_t size = 0;
};

class Remote {
 public:
  // Device credentials go with every request but those that sign in.
  explicit Remote(const ServerRef& server, const Credentials* device = nullptr);

  nlohmann::json get(const std::string& target);
  nlohmann::json post(const std::string& target, const nlohmann::json& body);

  Changes changes(int64_t since);
  std::vector<std::string> missing(const std::vector<std::string>& digests);
  // Sends the files in one pack; the digests the server kept. A file that no
  // longer holds what its digest says is not kept.
  std::set<std::string> upload(const std::vector<Outgoing>& files);
  // Revision of each, 0 where it was refused.
  std::vector<int64_t> record(const std::vector<NewVersion>& versions);
  // Calls `each` with every object as it arrives, to be read from the pack.
  void download(const std::vector<std::string>& digests,
                const std::function<void(const PackEntry&, PackReader&)>& each);

 private:
  HttpsClient::Request request(const char* method, const std::string& target) const;
  nlohmann::json answer(const HttpsClient::Reply& reply) const;

  HttpsClient client_;
  std::string authorization_;
};
