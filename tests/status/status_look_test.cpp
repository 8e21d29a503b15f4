#include "status/status_look.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

constexpr double kNow = 1'800'000'000.0;
const StatusLook kNeutral{kSymbolInProgress, "Waiting to connect"};
const StatusLook kAttention{kSymbolAttention, "Sync needs attention — check the log"};

std::string status(const std::string& members) {
  return "{" + members + "}";
}
std::string at(double seconds) {
  return "\"updated_at\": " + std::to_string(seconds);
}

TEST(StatusLook, FollowsTheStatusFile) {
  const std::string fresh = at(kNow - 10);
  const struct {
    const char* name;
    std::optional<std::string> content;
    StatusLook look;
  } cases[] = {
      {"no folder or unreadable", std::nullopt, kNeutral},
      {"synced",
       status(R"("state": "synced", "message": "All files up to date", )" + fresh),
       {kSymbolSynced, "All files up to date"}},
      {"waiting",
       status(R"("state": "waiting", "message": "Server unreachable", )" + fresh),
       {kSymbolWaiting, "Server unreachable"}},
      {"other state",
       status(R"("state": "syncing", "message": "3 files", )" + fresh),
       {kSymbolInProgress, "3 files"}},
      {"state compared with case",
       status(R"("state": "Synced", "message": "m", )" + fresh),
       {kSymbolInProgress, "m"}},
      {"state not a string",
       status(R"("state": 1, "message": "m", )" + fresh),
       {kSymbolInProgress, "m"}},
      {"no message",
       status(R"("state": "synced", )" + fresh),
       {kSymbolSynced, "Waiting to connect"}},
      {"message not a string",
       status(R"("state": "waiting", "message": ["m"], )" + fresh),
       {kSymbolWaiting, "Waiting to connect"}},
      {"exactly 150 s old",
       status(R"("state": "synced", "message": "m", )" + at(kNow - 150.0)),
       {kSymbolSynced, "m"}},
      {"150.5 s old", status(R"("state": "synced", "message": "m", )" + at(kNow - 150.5)),
       kAttention},
      {"in the future",
       status(R"("state": "synced", "message": "m", )" + at(kNow + 3600)),
       {kSymbolSynced, "m"}},
      {"no updated_at", status(R"("state": "synced", "message": "m")"), kAttention},
      {"updated_at as digits in a string",
       status(R"("state": "synced", "updated_at": ")" + std::to_string(kNow) + "\""), kAttention},
      {"empty object", "{}", kAttention},
      {"top level an array", "[{\"state\": \"synced\"}]", kNeutral},
      {"top level a string", "\"synced\"", kNeutral},
      {"empty file", "", kNeutral},
      {"half written", R"({"state": "synced", "message": "All fi)", kNeutral},
      {"not UTF-8", status("\"state\": \"synced\", \"message\": \"\xff\", " + fresh), kNeutral},
      {"100,000 levels",
       status(R"("state": "synced", "x": )" + std::string(100000, '[') + std::string(100000, ']')),
       kNeutral},
      {"10 MB of junk", std::string(10'000'000, 'x'), kNeutral},
  };
  for (const auto& c : cases) EXPECT_EQ(statusLook(c.content, kNow), c.look) << c.name;
}

}  // namespace
}  // namespace quorvane
