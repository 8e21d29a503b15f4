#include "support/fake_ui.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace quorvane::testing {
namespace {

class FakeStatusItem : public StatusItem {
 public:
  explicit FakeStatusItem(std::shared_ptr<StatusItemRecord> record) : record_(std::move(record)) {}
  bool hasButton() const override { return record_->hasButton; }
  void setImage(const std::string& symbolName, const std::string& accessibilityText) override {
    record_->images.push_back({symbolName, accessibilityText});
  }
  void setToolTip(const std::string& text) override { record_->toolTips.push_back(text); }
  void setMenu(const Menu& menu) override { record_->menus.push_back(menu); }

 private:
  std::shared_ptr<StatusItemRecord> record_;
};

// A modal dialog or open menu: ticks wait until it is gone.
class Modal {
 public:
  explicit Modal(FakeLoop& loop) : loop_(loop) { loop_.beginModal(); }
  ~Modal() { loop_.endModal(); }
  Modal(const Modal&) = delete;
  Modal& operator=(const Modal&) = delete;

 private:
  FakeLoop& loop_;
};

}  // namespace

FakeUi::FakeUi(FakeLoop& loop) : loop_(loop) {}

FakeUi::~FakeUi() {
  for (const auto& answer : person.unused()) ADD_FAILURE() << "Never shown: " << answer;
}

const Menu& FakeUi::menu() const {
  static const Menu none;
  return item_->menus.empty() ? none : item_->menus.back();
}

std::vector<std::string> FakeUi::statusLines() const {
  std::vector<std::string> lines;
  for (const auto& menu : item_->menus) lines.push_back(menu.empty() ? "" : menu.front().title);
  return lines;
}

void FakeUi::choose(const std::string& title) {
  std::optional<MenuAction> action;
  {
    Modal open(loop_);
    const Menu& current = menu();
    auto found = std::find_if(current.begin(), current.end(),
                              [&](const MenuItem& item) { return item.title == title; });
    if (found == current.end() || !found->enabled || !found->action) {
      ADD_FAILURE() << "No enabled menu item \"" << title << "\"";
      return;
    }
    action = found->action;
  }
  if (auto delegate = delegate_.lock()) delegate->performMenuAction(*action);
}

std::unique_ptr<StatusItem> FakeUi::createStatusItem() {
  ++statusItemsCreated;
  return std::make_unique<FakeStatusItem>(item_);
}

AlertResult FakeUi::runAlert(const Alert& alert) {
  alerts.push_back(alert);
  Modal modal(loop_);
  if (onModal) onModal(alert.messageText);
  return answer(alert);
}

PanelResult FakeUi::runOpenPanel(const OpenPanel& panel) {
  openPanels.push_back(panel);
  Modal modal(loop_);
  if (onModal) onModal(panel.title);
  return answer(PanelAnswer::Kind::open, panel.title);
}

PanelResult FakeUi::runSavePanel(const SavePanel& panel) {
  savePanels.push_back(panel);
  Modal modal(loop_);
  if (onModal) onModal(panel.title);
  return answer(PanelAnswer::Kind::save, panel.title);
}

void FakeUi::terminate() {
  auto delegate = delegate_.lock();
  terminations.push_back(delegate ? delegate->applicationShouldTerminate() : TerminateReply::now);
}

AlertResult FakeUi::answer(const Alert& alert) {
  const std::vector<std::string> buttons =
      alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
  auto response = [&](const std::string& title) -> std::optional<int> {
    auto found = std::find(buttons.begin(), buttons.end(), title);
    if (found == buttons.end()) return std::nullopt;
    return kAlertFirstButtonReturn + static_cast<int>(found - buttons.begin());
  };
  // Escape presses a button titled "Cancel", else the alert's only button.
  const int cancel = response("Cancel").value_or(kAlertFirstButtonReturn);

  AlertResult result;
  std::vector<AlertField> fields;
  if (alert.accessory) fields = alert.accessory->fields;
  for (const auto& field : fields) {
    const bool popUp = field.kind == AlertField::Kind::popUp;
    const bool inRange = field.selected >= 0 && std::size_t(field.selected) < field.items.size();
    result.fields.push_back(
        popUp ? AlertFieldResult{inRange ? field.items[field.selected] : "", field.selected}
              : AlertFieldResult{field.text, -1});
  }

  std::optional<AlertAnswer> answer = person.takeAlert(alert.messageText);
  if (!answer) {
    ADD_FAILURE() << "Unexpected alert \"" << alert.messageText << "\": " << alert.informativeText;
    result.response = cancel;
    return result;
  }
  if (answer->look) answer->look();
  if (answer->thinkSeconds > 0) loop_.advance(answer->thinkSeconds);

  for (const auto& [index, text] : answer->typed) {
    const bool typable =
        index < fields.size() && (fields[index].kind == AlertField::Kind::text ||
                                  fields[index].kind == AlertField::Kind::secureText);
    if (!typable) {
      ADD_FAILURE() << "No text field " << index << " in alert \"" << alert.messageText << "\"";
      continue;
    }
    result.fields[index].text = text;
  }
  for (const auto& [index, item] : answer->selected) {
    const bool choosable = index < fields.size() && fields[index].kind == AlertField::Kind::popUp &&
                           item >= 0 && std::size_t(item) < fields[index].items.size();
    if (!choosable) {
      ADD_FAILURE() << "No pop-up item " << item << " in field " << index << " of alert \""
                    << alert.messageText << "\"";
      continue;
    }
    result.fields[index] = {fields[index].items[item], item};
  }

  std::optional<int> pressed = response(answer->button.empty() ? buttons.front() : answer->button);
  if (!pressed) {
    ADD_FAILURE() << "No button \"" << answer->button << "\" in alert \"" << alert.messageText
                  << "\"";
  }
  result.response = pressed.value_or(cancel);
  return result;
}

PanelResult FakeUi::answer(PanelAnswer::Kind kind, const std::string& title) {
  std::optional<PanelAnswer> answer = person.takePanel(kind);
  if (!answer) {
    ADD_FAILURE() << "Unexpected " << (kind == PanelAnswer::Kind::open ? "open" : "save")
                  << " panel \"" << title << "\"";
    return {kModalResponseCancel, std::nullopt};
  }
  if (answer->look) answer->look();
  if (answer->thinkSeconds > 0) loop_.advance(answer->thinkSeconds);
  if (!answer->chosen) return {kModalResponseCancel, std::nullopt};
  return {kModalResponseOK, answer->chosen};
}

}  // namespace quorvane::testing
