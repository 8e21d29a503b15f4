#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quorvane::testing {

// How the person answers one dialog: an alert found by its message text, or an
// open or save panel found by its title.
struct Dialog {
  enum Kind { alert, open, save };
  Kind kind = alert;
  std::string title;
  std::string answer =
      {};  // alert: the button pressed (empty: the first); panel: the path chosen (empty: Cancel)
  std::vector<std::pair<std::size_t, std::string>> typed = {};  // accessory field index, text
  int item = -1;            // the item selected in the first pop-up, if any
  double thinkSeconds = 0;  // the clock moves on while it is up (posts and delayed blocks run)
  std::function<void()> look = {};  // called while it is up, before the answer
};

// The person in front of the screen: the dialogs a test expects, in order.
class ScriptedPerson {
 public:
  Dialog& expect(Dialog dialog) { return answers_.emplace_back(std::move(dialog)); }
  Dialog& expectAlert(std::string title, std::string button = {}) {
    return expect({Dialog::alert, std::move(title), std::move(button)});
  }

  // The next answer when it is meant for this dialog; none otherwise, and it stays queued.
  std::optional<Dialog> take(Dialog::Kind kind, const std::string& title);
  // Descriptions of the answers never given.
  std::vector<std::string> unused() const;

 private:
  std::deque<Dialog> answers_;
};

}  // namespace quorvane::testing
