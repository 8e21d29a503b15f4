#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/application.h"
#include "platform/ui.h"
#include "support/fake_loop.h"

namespace quorvane::testing {

// How the person answers one dialog: an alert found by its message text, or an
// open or save panel found by its title (any title when it has none).
struct Dialog {
  enum Kind { alert, open, save };
  Kind kind = alert;
  std::string title;
  // Alert: the button pressed (empty: the first). Panel: the path chosen (empty: Cancel).
  std::string answer = {};
  std::vector<std::pair<std::size_t, std::string>> typed = {};  // accessory field index, text
  int item = -1;            // the item selected in the first pop-up, if any
  double thinkSeconds = 0;  // the clock moves on while it is up (posts and delayed blocks run)
  std::function<void()> look = {};  // called while it is up, before the answer
};

inline constexpr Dialog::Kind A = Dialog::alert, P = Dialog::open, S = Dialog::save;

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

// The desktop as a test sees it: it records what the application shows, and the
// person answers its dialogs as the test expects them, in order. A dialog the
// person does not expect fails the test and is cancelled; one expected but never
// shown fails it too.
class FakeUi : public Ui {
 public:
  explicit FakeUi(FakeLoop& loop) : loop_(loop) {}
  ~FakeUi() override;

  void expect(Dialog dialog) { expected_.push_back(std::move(dialog)); }

  // What the application did, in order.
  std::vector<Alert> alerts;
  std::vector<OpenPanel> openPanels;
  std::vector<SavePanel> savePanels;
  std::vector<std::filesystem::path> opened;
  int activations = 0;
  std::vector<TerminateReply> terminations;  // the delegate's answer to each terminate()

  // The delegate that terminate() and choose() talk to, as the real adapter does.
  void setDelegate(std::weak_ptr<ApplicationDelegate> delegate) { delegate_ = std::move(delegate); }
  StatusItemRecord& statusItem() { return *item_; }
  const StatusItemRecord& statusItem() const { return *item_; }
  const Menu& menu() const;  // the current one; empty before the first
  const MenuItem* menuItem(const std::string& title) const;  // in the current one
  bool enabled(const std::string& title) const {
    const MenuItem* item = menuItem(title);
    return item && item->enabled;
  }
  std::vector<std::string> statusLines() const;  // the first line of every menu set

  // Opens the menu, picks the enabled item with this title and, once the menu has
  // closed, sends its action; a missing or disabled item fails the test.
  void choose(const std::string& title);

  std::unique_ptr<StatusItem> createStatusItem() override;
  AlertResult runAlert(const Alert& alert) override;
  PanelResult runOpenPanel(const OpenPanel& panel) override;
  PanelResult runSavePanel(const SavePanel& panel) override;
  void activate() override { ++activations; }
  void open(const std::filesystem::path& path) override { opened.push_back(path); }
  void terminate() override;

 private:
  // The next expected answer when it is meant for this dialog, shown to the
  // person while the clock stands still for the application (a modal).
  std::optional<Dialog> take(Dialog::Kind kind, const std::string& title);
  PanelResult answer(Dialog::Kind kind, const std::string& title);

  FakeLoop& loop_;
  std::deque<Dialog> expected_;
  std::shared_ptr<StatusItemRecord> item_ = std::make_shared<StatusItemRecord>();
  std::weak_ptr<ApplicationDelegate> delegate_;
};

}  // namespace quorvane::testing
