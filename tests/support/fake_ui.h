#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/application.h"
#include "platform/ui.h"
#include "support/fake_loop.h"
#include "support/scripted_person.h"

namespace quorvane::testing {

struct StatusImage {
  std::string symbol;
  std::string accessibility;
  bool operator==(const StatusImage&) const = default;
};

// Everything the status item was given, oldest first.
struct StatusItemRecord {
  bool hasButton = true;
  std::vector<StatusImage> images;
  std::vector<std::string> toolTips;
  std::vector<Menu> menus;
};

// The desktop as a test sees it: it records what the application shows and lets
// the scripted person answer its dialogs. A dialog the person does not expect
// fails the test and is cancelled; an expected one never shown fails it too.
class FakeUi : public Ui {
 public:
  explicit FakeUi(FakeLoop& loop);
  ~FakeUi() override;

  ScriptedPerson person;

  // What the application did, in order.
  std::vector<Alert> alerts;
  std::vector<OpenPanel> openPanels;
  std::vector<SavePanel> savePanels;
  std::vector<std::filesystem::path> opened;
  int activations = 0;
  int statusItemsCreated = 0;
  std::vector<TerminateReply> terminations;  // the delegate's answer to each terminate()

  // The delegate that terminate() and choose() talk to, as the real adapter does.
  void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) { delegate_ = std::move(delegate); }
  void setStatusItemHasButton(bool hasButton) { item_->hasButton = hasButton; }

  const StatusItemRecord& statusItem() const { return *item_; }
  // Forgets what the status item was given so far, for runs too long to record.
  void clearStatusItemRecord() { *item_ = StatusItemRecord{item_->hasButton, {}, {}, {}}; }
  const Menu& menu() const;  // the current one; empty before the first
  const MenuItem* menuItem(const std::string& title) const;  // in the current one, if there
  std::vector<std::string> statusLines() const;              // the first line of every menu set

  // Opens the menu, picks the enabled item with this title and, once the menu has
  // closed, sends its action; a missing or disabled item fails the test.
  void choose(const std::string& title);
  // The menu held open by the person: ticks wait until it closes.
  void openMenu() { loop_.beginModal(); }
  void closeMenu() { loop_.endModal(); }

  std::unique_ptr<StatusItem> createStatusItem() override;
  AlertResult runAlert(const Alert& alert) override;
  PanelResult runOpenPanel(const OpenPanel& panel) override;
  PanelResult runSavePanel(const SavePanel& panel) override;
  void activate() override { ++activations; }
  void open(const std::filesystem::path& path) override { opened.push_back(path); }
  void terminate() override;

 private:
  AlertResult answer(const Alert& alert);
  PanelResult answer(Dialog::Kind kind, const std::string& title);

  FakeLoop& loop_;
  std::shared_ptr<StatusItemRecord> item_ = std::make_shared<StatusItemRecord>();
  std::weak_ptr<ApplicationDelegate> delegate_;
};

}  // namespace quorvane::testing
