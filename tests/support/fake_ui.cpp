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

const MenuItem* FakeUi::menuItem(const std::string& title) const {
  const Menu& current = menu();
  auto found = std::find_if(current.begin(), current.end(),
                            [&](const MenuItem& item) { return item.title == title; });
  return found == current.end() ? nullptr : &*found;
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
    const MenuItem* found = menuItem(title);
    if (!found || !found->enabled || !found->action) {
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
  return answer(alert);
}

PanelResult FakeUi::runOpenPanel(const OpenPanel& panel) {
  openPanels.push_back(panel);
  Modal modal(loop_);
  return answer(Dialog::open, panel.title);
}

PanelResult FakeUi::runSavePanel(const SavePanel& panel) {
  savePanels.push_back(panel);
  Modal modal(loop_);
  return answer(Dialog::save, panel.title);
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
  const std::vector<AlertField> none;
  const std::vector<AlertField>& fields = alert.accessory ? alert.accessory->fields : none;
  for (const auto& field : fields) {
    const bool chosen = field.selected >= 0 && std::size_t(field.selected) < field.items.size();
    result.fields.push_back(
        field.kind == AlertField::Kind::popUp
            ? AlertFieldResult{chosen ? field.items[field.selected] : "", field.selected}
            : AlertFieldResult{field.text, -1});
  }

  std::optional<Dialog> answer = person.take(Dialog::alert, alert.messageText);
  if (!answer) {
    ADD_FAILURE() << "Unexpected alert \"" << alert.messageText << "\": " << alert.informativeText;
    result.response = cancel;
    return result;
  }
  if (answer->look) answer->look();
  if (answer->thinkSeconds > 0) loop_.advance(answer->thinkSeconds);

  for (const auto& [index, text] : answer->typed) {
    if (index >= fields.size() || (fields[index].kind != AlertField::Kind::text &&
                                   fields[index].kind != AlertField::Kind::secureText)) {
      ADD_FAILURE() << "No text field " << index << " in alert \"" << alert.messageText << "\"";
      continue;
    }
    result.fields[index].text = text;
  }
  if (answer->item >= 0) {
    const bool choosable = !fields.empty() && fields[0].kind == AlertField::Kind::popUp &&
                           std::size_t(answer->item) < fields[0].items.size();
    if (choosable) {
      result.fields[0] = {fields[0].items[answer->item], answer->item};
    } else {
      ADD_FAILURE() << "No pop-up item " << answer->item << " in alert \"" << alert.messageText
                    << "\"";
    }
  }

  std::optional<int> pressed = response(answer->answer.empty() ? buttons.front() : answer->answer);
  if (!pressed) {
    ADD_FAILURE() << "No button \"" << answer->answer << "\" in alert \"" << alert.messageText
                  << "\"";
  }
  result.response = pressed.value_or(cancel);
  return result;
}

PanelResult FakeUi::answer(Dialog::Kind kind, const std::string& title) {
  std::optional<Dialog> answer = person.take(kind, title);
  if (!answer) {
    ADD_FAILURE() << "Unexpected panel \"" << title << "\"";
    return {kModalResponseCancel, std::nullopt};
  }
  if (answer->look) answer->look();
  if (answer->thinkSeconds > 0) loop_.advance(answer->thinkSeconds);
  if (answer->answer.empty()) return {kModalResponseCancel, std::nullopt};
  return {kModalResponseOK, std::filesystem::path(answer->answer)};
}

}  // namespace quorvane::testing
