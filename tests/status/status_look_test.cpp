#include "status/status_look.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvane {
namespace {

constexpr double kNow = 1'800'000'000.0;

// A status file with these members, updated `age` seconds before now.
std::string written(const std::string& members, double age = 10) {
  return "{" + members + ", \"updated_at\": " + std::to_string(kNow - age) + "}";
}

TEST(StatusLook, FollowsTheStatusFile) {
  const StatusLook neutral{kSymbolInProgress, "Waiting to connect"};
  const StatusLook attention{kSymbolAttention, "Sync needs attention — check the log"};
  const std::string synced = R"("state": "synced", "message": "m")";
  const struct {
    const char* name;
    std::optional<std::string> content;
    StatusLook look;
  } cases[] = {
      {"no folder or unreadable", std::nullopt, neutral},
      {"synced",
       written(R"("state": "synced", "message": "All files up to date")"),
       {kSymbolSynced, "All files up to date"}},
      {"waiting",
       written(R"("state": "waiting", "message": "Server unreachable")"),
       {kSymbolWaiting, "Server unreachable"}},
      {"other state",
       written(R"("state": "syncing", "message": "3 files")"),
       {kSymbolInProgress, "3 files"}},
      {"state compared with case",
       written(R"("state": "Synced", "message": "m")"),
       {kSymbolInProgress, "m"}},
      {"no message", written(R"("state": "synced")"), {kSymbolSynced, "Waiting to connect"}},
      {"message not a string",
       written(R"("state": "waiting", "message": ["m"])"),
       {kSymbolWaiting, "Waiting to connect"}},
      {"exactly 150 s old", written(synced, 150.0), {kSymbolSynced, "m"}},
      {"150.5 s old", written(synced, 150.5), attention},
      {"in the future", written(synced, -3600), {kSymbolSynced, "m"}},
      {"no updated_at", "{" + synced + "}", attention},
      {"updated_at as digits in a string",
       R"({"state": "synced", "updated_at": ")" + std::to_string(kNow) + "\"}", attention},
      {"empty object", "{}", attention},
      {"top level an array", "[{\"state\": \"synced\"}]", neutral},
      {"half written", R"({"state": "synced", "message": "All fi)", neutral},
      {"not UTF-8", written("\"state\": \"synced\", \"message\": \"\xff\""), neutral},
      {"100,000 levels",
       "{" + synced + ", \"x\": " + std::string(100000, '[') + std::string(100000, ']') + "}",
       neutral},
      {"10 MB of junk", std::string(10'000'000, 'x'), neutral},
  };
  for (const auto& c : cases) EXPECT_EQ(statusLook(c.content, kNow), c.look) << c.name;
}

}  // namespace
}  // namespace quorvane
