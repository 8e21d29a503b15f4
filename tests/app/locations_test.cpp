#include <gtest/gtest.h>

#include <string>

#include "app/client_config.h"
#include "common/json_document.h"

namespace quorvane::testing {
namespace {

const std::string kDeep = std::string(100000, '[') + std::string(100000, ']');

TEST(ClientConfig, FolderIsTheFolderStringOnly) {
  const struct {
    const char* name;
    std::string content;
    std::optional<std::filesystem::path> folder;
  } cases[] = {
      {"a folder", R"({"folder": "/home/ada/Sync", "server": "x"})", "/home/ada/Sync"},
      {"a number", R"({"folder": 7})", std::nullopt},
      {"null", R"({"folder": null})", std::nullopt},
      {"empty", R"({"folder": ""})", std::nullopt},
      {"with a NUL", R"({"folder": "/home/ada\u0000/etc"})", std::nullopt},
      {"top level an array", R"([{"folder": "/x"}])", std::nullopt},
      {"10 MB", R"({"folder": "/x", "pad": ")" + std::string(10'000'000, 'a') + "\"}", "/x"},
      {"100,000 levels", R"({"folder": "/x", "deep": )" + kDeep + "}", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(folderInConfig(c.content), c.folder) << c.name;
}

TEST(ClientConfig, AccountIsTheInvitationsAccountObjectWhole) {
  const struct {
    const char* name;
    std::string content;
    std::optional<Json> account;
  } cases[] = {
      {"an account",
       R"({"invitation": {"account": {"username": "ada", "admin": false, "n": [1]}}})",
       Json{{"username", "ada"}, {"admin", false}, {"n", {1}}}},
      {"an empty account", R"({"invitation": {"account": {}}})", Json::object()},
      {"no account", R"({"invitation": {"server": "x"}})", std::nullopt},
      {"account not an object", R"({"invitation": {"account": "ada"}})", std::nullopt},
      {"invitation not an object", R"({"invitation": [{"account": {}}]})", std::nullopt},
      {"account at the top", R"({"account": {"username": "ada"}})", std::nullopt},
      {"100,000 levels", R"({"invitation": {"account": )" + kDeep + "}}", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(accountInConfig(c.content), c.account) << c.name;
}

}  // namespace
}  // namespace quorvane::testing
