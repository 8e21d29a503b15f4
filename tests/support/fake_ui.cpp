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
struct Modal {
  explicit Modal(FakeLoop& loop) : loop(loop) { loop.beginModal(); }
  ~Modal() { loop.endModal(); }
  FakeLoop& loop;
};

}  // namespace

FakeUi::~FakeUi() {
  for (const Dialog& never : expected_) ADD_FAILURE() << "Never shown: \"" << never.title << "\"";
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
  return std::make_unique<FakeStatusItem>(item_);
}

void FakeUi::terminate() {
  auto delegate = delegate_.lock();
  terminations.push_back(delegate ? delegate->applicationShouldTerminate() : TerminateReply::now);
}

std::optional<Dialog> FakeUi::take(Dialog::Kind kind, const std::string& title) {
  const bool expected = !expected_.empty() && expected_.front().kind == kind &&
                        (expected_.front().title == title ||
                         (kind != Dialog::alert && expected_.front().title.empty()));
  if (!expected) {
    ADD_FAILURE() << "Unexpected dialog \"" << title << "\"";
    return std::nullopt;
  }
  Dialog dialog = std::move(expected_.front());
  expected_.pop_front();
  if (dialog.look) dialog.look();
  if (dialog.thinkSeconds > 0) loop_.advance(dialog.thinkSeconds);
  return dialog;
}

AlertResult FakeUi::runAlert(const Alert& alert) {
  alerts.push_back(alert);
  Modal modal(loop_);
  const std::vector<std::string> buttons =
      alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
  AlertResult result;
  const std::vector<AlertField> fields =
      alert.accessory ? alert.accessory->fields : std::vector<AlertField>{};
  for (const AlertField& field : fields) {
    const bool popUp = field.kind == AlertField::Kind::popUp;
    result.fields.push_back(
        {popUp ? field.items.at(field.selected) : field.text, popUp ? field.selected : -1});
  }
  // Escape presses a button titled "Cancel", else the alert's only button.
  auto cancel = std::find(buttons.begin(), buttons.end(), "Cancel");
  auto pressed = cancel == buttons.end() ? buttons.begin() : cancel;
  if (std::optional<Dialog> dialog = take(Dialog::alert, alert.messageText)) {
    for (const auto& [index, text] : dialog->typed) result.fields.at(index).text = text;
    if (dialog->item >= 0) result.fields.at(0) = {fields[0].items.at(dialog->item), dialog->item};
    pressed = std::find(buttons.begin(), buttons.end(),
                        dialog->answer.empty() ? buttons.front() : dialog->answer);
    EXPECT_NE(pressed, buttons.end()) << "no button \"" << dialog->answer << "\"";
    if (pressed == buttons.end()) pressed = buttons.begin();
  }
  result.response = kAlertFirstButtonReturn + static_cast<int>(pressed - buttons.begin());
  return result;
}

PanelResult FakeUi::answer(Dialog::Kind kind, const std::string& title) {
  Modal modal(loop_);
  std::optional<Dialog> dialog = take(kind, title);
  if (!dialog || dialog->answer.empty()) return {kModalResponseCancel, std::nullopt};
  return {kModalResponseOK, std::filesystem::path(dialog->answer)};
}

PanelResult FakeUi::runOpenPanel(const OpenPanel& panel) {
  openPanels.push_back(panel);
  return answer(Dialog::open, panel.title);
}

PanelResult FakeUi::runSavePanel(const SavePanel& panel) {
  savePanels.push_back(panel);
  return answer(Dialog::save, panel.title);
}

}  // namespace quorvane::testing
