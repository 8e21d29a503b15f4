#include "support/scripted_person.h"

namespace quorvane::testing {

namespace {

PanelAnswer panel(PanelAnswer::Kind kind) {
  PanelAnswer answer;
  answer.kind = kind;
  return answer;
}

}  // namespace

AlertAnswer& ScriptedPerson::expectAlert(std::string messageText) {
  AlertAnswer answer;
  answer.messageText = std::move(messageText);
  return std::get<AlertAnswer>(answers_.emplace_back(std::move(answer)));
}

PanelAnswer& ScriptedPerson::expectOpenPanel() {
  return std::get<PanelAnswer>(answers_.emplace_back(panel(PanelAnswer::Kind::open)));
}

PanelAnswer& ScriptedPerson::expectSavePanel() {
  return std::get<PanelAnswer>(answers_.emplace_back(panel(PanelAnswer::Kind::save)));
}

std::optional<AlertAnswer> ScriptedPerson::takeAlert(const std::string& messageText) {
  if (answers_.empty()) return std::nullopt;
  const auto* answer = std::get_if<AlertAnswer>(&answers_.front());
  if (!answer || answer->messageText != messageText) return std::nullopt;
  AlertAnswer taken = *answer;
  answers_.pop_front();
  return taken;
}

std::optional<PanelAnswer> ScriptedPerson::takePanel(PanelAnswer::Kind kind) {
  if (answers_.empty()) return std::nullopt;
  const auto* answer = std::get_if<PanelAnswer>(&answers_.front());
  if (!answer || answer->kind != kind) return std::nullopt;
  PanelAnswer taken = *answer;
  answers_.pop_front();
  return taken;
}

std::vector<std::string> ScriptedPerson::unused() const {
  std::vector<std::string> descriptions;
  for (const auto& answer : answers_) {
    if (const auto* alert = std::get_if<AlertAnswer>(&answer)) {
      descriptions.push_back("alert \"" + alert->messageText + "\"");
    } else {
      const bool open = std::get<PanelAnswer>(answer).kind == PanelAnswer::Kind::open;
      descriptions.push_back(open ? "open panel" : "save panel");
    }
  }
  return descriptions;
}

}  // namespace quorvane::testing
