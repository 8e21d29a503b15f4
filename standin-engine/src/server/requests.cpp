#include "requests.h"

#include <charconv>
#include <set>

#include "digest.h"

using nlohmann::json;
using Kind = Refusal::Kind;

namespace {

[[noreturn]] void refuse(const std::string& sentence) {
  throw Refusal(Kind::bad_request, sentence);
}

const json& member(const json& body, const char* name) {
  if (!body.is_object() || !body.contains(name))
    refuse(std::string("The request lacks “") + name + "”.");
  return body[name];
}

}  // namespace

json parse_json_body(const std::string& text) {
  json body = json::parse(text, nullptr, false);
  if (!body.is_object() && !body.is_array()) refuse("The request is not a JSON object or array.");
  return body;
}

std::string text_member(const json& body, const char* name, size_t longest) {
  const json& value = member(body, name);
  if (!value.is_string() || value.get_ref<const std::string&>().size() > longest)
    refuse(std::string("“") + name + "” must be a text of at most " + std::to_string(longest) +
           " bytes.");
  return value.get<std::string>();
}

int64_t integer_member(const json& body, const char* name) {
  const json& value = member(body, name);
  if (!value.is_number_integer() || value.get<int64_t>() < 0)
    refuse(std::string("“") + name + "” must be a whole number.");
  return value.get<int64_t>();
}

SignInRequest parse_sign_in(const json& body) {
  return {text_member(body, "username"), text_member(body, "password"),
          text_member(body, "device", 64)};
}

NewAccount parse_new_account(const json& body) {
  return {text_member(body, "username"), text_member(body, "display_name"),
          text_member(body, "password"), false};
}

std::vector<std::string> parse_digests(const json& body) {
  if (!body.is_array() || body.size() > most_digests)
    refuse("The request must list at most " + std::to_string(most_digests) + " objects.");
  std::set<std::string> digests;
  for (const json& digest : body) {
    if (!digest.is_string() || !is_digest(digest.get_ref<const std::string&>()))
      refuse("An object name is not a SHA-256 digest in hex.");
    digests.insert(digest.get<std::string>());
  }
  return {digests.begin(), digests.end()};
}

std::vector<ProposedVersion> parse_versions(const json& body) {
  if (!body.is_array() || body.size() > most_digests)
    refuse("The request must list at most " + std::to_string(most_digests) + " versions.");
  std::vector<ProposedVersion> versions;
  std::set<std::string> paths;
  for (const json& entry : body) {
    ProposedVersion version{text_member(entry, "path", 4096), integer_member(entry, "expected"),
                            std::nullopt, integer_member(entry, "size"), std::nullopt};
    if (!acceptable_path(version.path))
      refuse("The path “" + version.path + "” lies outside the account’s folder.");
    if (!paths.insert(version.path).second) refuse("The path “" + version.path + "” comes twice.");
    if (entry.contains("mode") && !entry["mode"].is_null()) {
      version.mode = integer_member(entry, "mode");
      if (*version.mode > 0777) refuse("A mode must be permission bits, from 0 to 0777.");
    }
    const json& object = member(entry, "object");
    if (!object.is_null()) {
      if (!object.is_string() || !is_digest(object.get_ref<const std::string&>()))
        refuse("An object name is not a SHA-256 digest in hex.");
      version.object = object.get<std::string>();
    }
    versions.push_back(std::move(version));
  }
  return versions;
}

bool acceptable_path(const std::string& path) {
  if (path.empty() || path.front() == '/' || path.back() == '/' ||
      path.find('\0') != std::string::npos)
    return false;
  size_t start = 0;
  for (bool first = true;; first = false) {
    size_t end = path.find('/', start);
    std::string_view part(path.data() + start,
                          (end == std::string::npos ? path.size() : end) - start);
    if (part.empty() || part == "." || part == ".." || part.size() > 255 ||
        (first && part == ".quorvane"))
      return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::optional<DeviceProof> parse_device_header(const std::string& header) {
  constexpr std::string_view scheme = "Device ";
  if (!header.starts_with(scheme)) return std::nullopt;
  auto space = header.find(' ', scheme.size());
  if (space == std::string::npos) return std::nullopt;
  DeviceProof proof;
  const char* end = header.data() + space;
  auto [stop, error] = std::from_chars(header.data() + scheme.size(), end, proof.device);
  if (error != std::errc() || stop != end || proof.device < 0) return std::nullopt;
  proof.secret = header.substr(space + 1);
  return proof;
}

ChangesQuery parse_changes_query(const std::string& target) {
  ChangesQuery query;
  auto start = target.find('?');
  for (size_t end; start != std::string::npos; start = end) {
    end = target.find('&', start + 1);
    std::string_view pair(target.data() + start + 1,
                          (end == std::string::npos ? target.size() : end) - start - 1);
    auto equals = pair.find('=');
    std::string_view name = pair.substr(0, equals);
    int64_t* value = name == "since" ? &query.since : name == "known" ? &query.known : nullptr;
    if (!value || equals == std::string_view::npos) refuse("The query is not one of revisions.");
    std::string_view digits = pair.substr(equals + 1);
    auto [stop, error] = std::from_chars(digits.data(), digits.data() + digits.size(), *value);
    if (digits.empty() || error != std::errc() || stop != digits.data() + digits.size() ||
        *value < 0)
      refuse("“" + std::string(name) + "” must be a revision number.");
  }
  return query;
}
