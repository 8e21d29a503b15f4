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

// The latest version of a path on the server; no object for a deletion, and no
// mode for a version recorded before permission bits travelled.
struct RemoteVersion {
  int64_t revision = 0;
  std::optional<std::string> object;
  int64_t size = 0;
  std::optional<int64_t> mode;
};

// One revision this computer knows the content of: a server that answers for
// it with another path or object, or not at all, went back in time.
struct Landmark {
  int64_t revision = 0;
  std::string path;
  std::optional<std::string> object;
  bool operator==(const Landmark&) const = default;
};

struct Changes {
  int64_t latest = 0;
  std::map<std::string, RemoteVersion> files;
  std::optional<Landmark> known;  // the server's version at the revision asked about
  std::set<std::string> wanted;   // objects found damaged there, wanted from a computer
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
  int64_t mode = 0;
};

class Remote {
 public:
  // Device credentials go with every request but those that sign in.
  explicit Remote(const ServerRef& server, const Credentials* device = nullptr);

  nlohmann::json get(const std::string& target);
  nlohmann::json post(const std::string& target, const nlohmann::json& body);

  // What changed after revision `since`, and the version at revision `known`.
  Changes changes(int64_t since, int64_t known);
  std::vector<std::string> missing(const std::vector<std::string>& digests);
  // Sends the files in one pack, hashing what it sends; the digests the server
  // kept of those that were sent as they were hashed before. A file that no
  // longer holds what its digest says is not kept.
  std::set<std::string> upload(const std::vector<Outgoing>& files);
  // Tells the server which of its objects arrived damaged, for it to check.
  void report_damaged(const std::vector<std::string>& digests);
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
