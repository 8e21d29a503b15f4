#include "support/scripted_person.h"

namespace quorvane::testing {

std::optional<Dialog> ScriptedPerson::take(Dialog::Kind kind, const std::string& title) {
  if (answers_.empty() || answers_.front().kind != kind || answers_.front().title != title) {
    return std::nullopt;
  }
  Dialog taken = std::move(answers_.front());
  answers_.pop_front();
  return taken;
}

std::vector<std::string> ScriptedPerson::unused() const {
  std::vector<std::string> descriptions;
  for (const Dialog& answer : answers_) descriptions.push_back("\"" + answer.title + "\"");
  return descriptions;
}

}  // namespace quorvane::testing
