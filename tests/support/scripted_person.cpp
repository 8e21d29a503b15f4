#include "support/scripted_person.h"

namespace quorvane::testing {

std::optional<Dialog> ScriptedPerson::take(Dialog::Kind kind, const std::string& title) {
  if (answers_.empty()) return std::nullopt;
  const Dialog& next = answers_.front();
  const bool anyTitle = kind != Dialog::alert && next.title.empty();
  if (next.kind != kind || (next.title != title && !anyTitle)) return std::nullopt;
  Dialog taken = std::move(answers_.front());
  answers_.pop_front();
  return taken;
}

std::vector<std::string> ScriptedPerson::unused() const {
  std::vector<std::string> descriptions;
  for (const Dialog& answer : answers_) {
    descriptions.push_back(answer.title.empty() ? "a panel" : "\"" + answer.title + "\"");
  }
  return descriptions;
}

}  // namespace quorvane::testing
