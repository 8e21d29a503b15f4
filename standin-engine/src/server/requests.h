// What a computer may ask, read from a request's JSON body or query; anything
// else is refused as a bad request with a sentence saying what is wrong.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "catalogue.h"

inline constexpr size_t largest_json_body = 16 << 20;
inline constexpr size_t most_digests = 10000;

// A JSON object or array; a refusal otherwise.
nlohmann::json parse_json_body(const std::string& text);
// The member as text of at most `longest` bytes.
std::string text_member(const nlohmann::json& body, const char* name, size_t longest = 1024);
int64_t integer_member(const nlohmann::json& body, const char* name);

struct SignInRequest {
  std::string username, password, device;
};
SignInRequest parse_sign_in(const nlohmann::json& body);
NewAccount parse_new_account(const nlohmann::json& body);
// Distinct object names, at most most_digests of them.
std::vector<std::string> parse_digests(const nlohmann::json& body);
std::vector<ProposedVersion> parse_versions(const nlohmann::json& body);
// A path a version may have: relative, of real names only, not inside .quorvane.
bool acceptable_path(const std::string& path);
// "Authorization: Device <id> <secret>"; none when the header is not one.
struct DeviceProof {
  int64_t device = 0;
  std::string secret;
};
std::optional<DeviceProof> parse_device_header(const std::string& header);
// "since=N&known=R" in a target's query: the revision a computer last heard of,
// and the latest one it knows the content of; 0 when absent.
struct ChangesQuery {
  int64_t since = 0;
  int64_t known = 0;
};
ChangesQuery parse_changes_query(const std::string& target);
