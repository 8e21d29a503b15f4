// The account's files: what changed, the history, a restore, and objects in and
// out in packs.
#include <sys/statvfs.h>
#include <unistd.h>

#include "requests.h"
#include "service.h"

using nlohmann::json;
using Kind = Refusal::Kind;

namespace {

json version_row(const Version& version) {
  return {version.path, version.revision, version.object ? json(*version.object) : json(nullptr),
          version.size, version.mode ? json(*version.mode) : json(nullptr)};
}

// What changed since a revision; the version at the revision the computer knows,
// so that it can tell a server restored from an older backup; and the objects
// this account stored that were found damaged, for a computer that has them.
void changes(Call& call) {
  auto [since, known] = parse_changes_query(call.exchange.target());
  int64_t account = call.device().account.id;
  // The latest revision first: a version added meanwhile comes again next time.
  int64_t latest = call.catalogue.latest_revision(account);
  json files = json::array();
  for (const Version& version : call.catalogue.changes(account, since))
    files.push_back(version_row(version));
  json at_known = nullptr;
  if (auto version = known ? call.catalogue.version(account, known) : std::nullopt)
    at_known = version_row(*version);
  json wanted = json::array();
  for (const auto& object : call.service.objects.wanted())
    if (call.catalogue.holds(account, object)) wanted.push_back(object);
  call.reply({{"latest", latest},
              {"files", std::move(files)},
              {"known", std::move(at_known)},
              {"wanted", std::move(wanted)}});
}

void history(Call& call) {
  json versions = json::array();
  for (const Version& version : call.catalogue.history(call.device().account.id))
    versions.push_back({version.path,
                        {{"content", version.object ? json(*version.object) : json(nullptr)},
                         {"revision", version.revision},
                         {"time", version.time},
                         {"device", version.device},
                         {"size", version.size}}});
  call.reply(versions);
}

void restore(Call& call) {
  int64_t revision = integer_member(call.body(), "revision");
  auto version = call.catalogue.version(call.device().account.id, revision);
  std::string number = std::to_string(revision);
  if (!version) throw Refusal(Kind::not_found, "Your history has no revision " + number + ".");
  if (!version->object)
    throw Refusal(Kind::bad_request,
                  "Revision " + number + " records a deletion; choose a version with content.");
  int64_t restored = call.catalogue.restore(call.device(), *version);
  call.reply({{"path", version->path}, {"time", version->time}, {"revision", restored}});
}

// An object this account stored is read through before the computer is told it
// need not send it, so that a whole copy replaces a damaged one.
void missing(Call& call) {
  json lacking = json::array();
  for (const auto& digest : parse_digests(call.body()))
    if (!call.catalogue.holds(call.device().account.id, digest) ||
        !call.service.objects.check(digest))
      lacking.push_back(digest);
  call.reply(lacking);
}

// A computer found these objects damaged on arrival: each is checked, and set
// aside when it is, until a computer that has the content sends it again.
void damaged(Call& call) {
  for (const auto& digest : parse_digests(call.body()))
    if (call.catalogue.holds(call.device().account.id, digest)) call.service.objects.check(digest);
  call.reply(json::object());
}

void receive(Call& call) {
  // Refused before a byte is written when it cannot fit; a disk that fills up
  // meanwhile is refused as soon as a write fails.
  struct statvfs disk;
  if (::statvfs(call.service.data.c_str(), &disk) == 0 &&
      call.exchange.body_size() > static_cast<uint64_t>(disk.f_bavail) * disk.f_frsize)
    throw NoSpace("the pack does not fit");
  PackReader pack(call.exchange);
  std::vector<std::string> stored;
  while (auto entry = pack.next()) {
    if (call.service.objects.receive(pack, *entry)) stored.push_back(entry->digest);
  }
  call.service.objects.flush();
  call.catalogue.note_stored(call.device().account.id, stored);
  call.reply({{"stored", stored}});
}

// An object this account stored that is lost or set aside is left out of the
// pack: the computer names the files it could not have.
void send(Call& call) {
  std::vector<std::pair<std::string, uint64_t>> objects;
  uint64_t total = 0;
  for (const auto& digest : parse_digests(call.body())) {
    if (!call.catalogue.holds(call.device().account.id, digest))
      throw Refusal(Kind::not_found, "Quorvane Home does not hold the object " + digest + ".");
    auto object = call.service.objects.open(digest);
    if (!object) continue;
    objects.emplace_back(digest, object->second);
    total += pack_entry_header({digest, object->second}).size() + object->second;
  }
  call.exchange.begin_stream(total);
  std::vector<char> chunk(1 << 20);
  for (const auto& [digest, promised] : objects) {
    auto object = call.service.objects.open(digest);
    if (!object || object->second != promised) throw ConnectionLost{};  // set aside meanwhile
    auto& [file, size] = *object;
    call.exchange.write(pack_entry_header({digest, size}));
    for (uint64_t left = size; left > 0;) {
      ssize_t got = ::read(file.get(), chunk.data(), std::min<uint64_t>(chunk.size(), left));
      if (got <= 0) throw ConnectionLost{};  // the promised length cannot be kept
      call.exchange.write({chunk.data(), static_cast<size_t>(got)});
      left -= static_cast<uint64_t>(got);
    }
  }
}

void record(Call& call) {
  auto revisions = call.catalogue.record(call.device(), parse_versions(call.body()));
  call.reply({{"revisions", revisions}});
}

}  // namespace

const std::vector<Route> file_routes = {
    {"GET", "/v1/changes", true, changes},          {"GET", "/v1/history", true, history},
    {"POST", "/v1/restore", true, restore},         {"POST", "/v1/objects/missing", true, missing},
    {"POST", "/v1/objects", true, receive},         {"POST", "/v1/objects/fetch", true, send},
    {"POST", "/v1/objects/damaged", true, damaged}, {"POST", "/v1/versions", true, record},
};
