#include "remote.h"

#include <fcntl.h>
#include <unistd.h>

#include "files.h"

using nlohmann::json;

Remote::Remote(const ServerRef& server, const Credentials* device) : client_(server) {
  if (device) authorization_ = "Device " + std::to_string(device->device) + " " + device->secret;
}

HttpsClient::Request Remote::request(const char* method, const std::string& target) const {
  return {method, target, authorization_};
}

json Remote::answer(const HttpsClient::Reply& reply) const {
  json body = json::parse(reply.body, nullptr, false);
  if (reply.status == 200 && !body.is_discarded()) return body;
  if (body.is_object() && body.contains("error") && body["error"].is_string())
    throw Failure(body["error"].get<std::string>());
  throw Failure("Quorvane Home gave an answer this engine does not understand (HTTP " +
                std::to_string(reply.status) + ").");
}

json Remote::get(const std::string& target) {
  return answer(client_.call(request("GET", target), ""));
}

json Remote::post(const std::string& target, const json& body) {
  return answer(client_.call(request("POST", target), body.dump()));
}

namespace {

template <typename Value>
std::optional<Value> optional_of(const json& value) {
  return value.is_null() ? std::nullopt : std::optional(value.get<Value>());
}

// [path, revision, object or null, size, mode or null]
RemoteVersion version_of(const json& row) {
  return {row.at(1).get<int64_t>(), optional_of<std::string>(row.at(2)), row.at(3).get<int64_t>(),
          optional_of<int64_t>(row.at(4))};
}

}  // namespace

Changes Remote::changes(int64_t since, int64_t known) {
  json reply =
      get("/v1/changes?since=" + std::to_string(since) + "&known=" + std::to_string(known));
  Changes changes{reply.at("latest").get<int64_t>(), {}, {}, {}};
  for (const json& row : reply.at("files"))
    changes.files[row.at(0).get<std::string>()] = version_of(row);
  if (const json& at = reply.at("known"); !at.is_null()) {
    RemoteVersion version = version_of(at);
    changes.known = Landmark{version.revision, at.at(0).get<std::string>(), version.object};
  }
  changes.wanted = reply.at("wanted").get<std::set<std::string>>();
  return changes;
}

std::vector<std::string> Remote::missing(const std::vector<std::string>& digests) {
  return post("/v1/objects/missing", digests).get<std::vector<std::string>>();
}

std::set<std::string> Remote::upload(const std::vector<Outgoing>& files) {
  uint64_t total = 0;
  for (const auto& file : files)
    total += pack_entry_header({file.digest, file.size}).size() + file.size;
  auto reply = client_.send(request("POST", "/v1/objects"), total, [&](const auto& write) {
    std::vector<char> chunk(1 << 20);
    for (const auto& file : files) {
      write(pack_entry_header({file.digest, file.size}));
      // O_NONBLOCK: should a pipe have taken the file's place, opening it must not wait.
      Descriptor fd(::open(file.file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
      for (uint64_t left = file.size; left > 0;) {
        throw_if_stopped();
        ssize_t got = fd.get() < 0
                          ? 0
                          : ::read(fd.get(), chunk.data(), std::min<uint64_t>(chunk.size(), left));
        if (got < 0 && errno == EINTR) continue;
        // A file that went away, shrank or cannot be read meanwhile is made up to
        // its size; its digest will not match, the server will not keep it, and
        // the next pass looks at it again.
        if (got <= 0) got = static_cast<ssize_t>(std::min<uint64_t>(chunk.size(), left));
        write({chunk.data(), static_cast<size_t>(got)});
        left -= static_cast<uint64_t>(got);
        beat_while_copying();
      }
    }
  });
  return answer(reply).at("stored").get<std::set<std::string>>();
}

void Remote::report_damaged(const std::vector<std::string>& digests) {
  post("/v1/objects/damaged", digests);
}

std::vector<int64_t> Remote::record(const std::vector<NewVersion>& versions) {
  json body = json::array();
  for (const auto& version : versions)
    body.push_back({{"path", version.path},
                    {"expected", version.expected_revision},
                    {"object", version.object ? json(*version.object) : json(nullptr)},
                    {"size", version.size},
                    {"mode", version.mode}});
  auto revisions = post("/v1/versions", body).at("revisions").get<std::vector<int64_t>>();
  if (revisions.size() != versions.size())
    throw Failure("Quorvane Home did not answer for every version.");
  return revisions;
}

void Remote::download(const std::vector<std::string>& digests,
                      const std::function<void(const PackEntry&, PackReader&)>& each) {
  auto reply = client_.fetch(request("POST", "/v1/objects/fetch"), json(digests).dump(),
                             [&](ByteSource& body) {
                               PackReader pack(body);
                               while (auto entry = pack.next()) each(*entry, pack);
                             });
  if (reply.status != 200) answer(reply);
}
