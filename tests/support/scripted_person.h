#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

  Dialog& press(std::string button) { return answer = std::move(button), *this; }
  Dialog& choose(const std::filesystem::path& path) { return answer = path.string(), *this; }
  Dialog& type(std::size_t field, std::string text) {
    return typed.emplace_back(field, std::move(text)), *this;
  }
  Dialog& pick(int popUpItem) { return item = popUpItem, *this; }
  Dialog& thinkFor(double seconds) { return thinkSeconds = seconds, *this; }
  Dialog& whileShown(std::function<void()> lookAround) {
    return look = std::move(lookAround), *this;
  }
};

// The person in front of the screen: the dialogs a test expects, in order.
class ScriptedPerson {
 public:
  Dialog& expect(Dialog dialog) { return answers_.emplace_back(std::move(dialog)); }
  Dialog& expectAlert(std::string title, std::string button = {}) {
    return expect({Dialog::alert, std::move(title), std::move(button)});
  }
  Dialog& expectOpenPanel() { return expect({Dialog::open, ""}); }
  Dialog& expectSavePanel() { return expect({Dialog::save, ""}); }

  // The next answer when it is meant for this dialog; none otherwise, and it stays queued.
  std::optional<Dialog> take(Dialog::Kind kind, const std::string& title);
  // Descriptions of the answers never given.
  std::vector<std::string> unused() const;

 private:
  std::deque<Dialog> answers_;
};

}  // namespace quorvane::testing
