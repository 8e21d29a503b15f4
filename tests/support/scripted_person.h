#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace quorvane::testing {

// How the person answers one alert, found by its message text.
struct AlertAnswer {
  std::string messageText;
  std::string button;  // the title pressed; empty: the first button
  std::vector<std::pair<std::size_t, std::string>> typed;  // accessory field index, text
  std::vector<std::pair<std::size_t, int>> selected;       // pop-up field index, item
  double thinkSeconds = 0;
  std::function<void()> look;  // called while the alert is up, before the answer

  AlertAnswer& press(std::string title) {
    button = std::move(title);
    return *this;
  }
  AlertAnswer& type(std::size_t field, std::string text) {
    typed.emplace_back(field, std::move(text));
    return *this;
  }
  AlertAnswer& select(std::size_t field, int item) {
    selected.emplace_back(field, item);
    return *this;
  }
  // The clock moves on while the alert is up (posts and delayed blocks run).
  AlertAnswer& thinkFor(double seconds) {
    thinkSeconds = seconds;
    return *this;
  }
  AlertAnswer& whileShown(std::function<void()> lookAround) {
    look = std::move(lookAround);
    return *this;
  }
};

// How the person answers the next open or save panel.
struct PanelAnswer {
  enum class Kind { open, save };
  Kind kind = Kind::open;
  std::optional<std::filesystem::path> chosen;  // none: Cancel
  double thinkSeconds = 0;
  std::function<void()> look;  // called while the panel is up, before the answer

  PanelAnswer& choose(std::filesystem::path path) {
    chosen = std::move(path);
    return *this;
  }
  PanelAnswer& cancel() {
    chosen.reset();
    return *this;
  }
  PanelAnswer& thinkFor(double seconds) {
    thinkSeconds = seconds;
    return *this;
  }
  PanelAnswer& whileShown(std::function<void()> lookAround) {
    look = std::move(lookAround);
    return *this;
  }
};

// The person in front of the screen: the dialogs a test expects, in order, and
// the answers to give them.
class ScriptedPerson {
 public:
  AlertAnswer& expectAlert(std::string messageText);
  PanelAnswer& expectOpenPanel();
  PanelAnswer& expectSavePanel();

  // The next answer when it is meant for this dialog; none otherwise, and the
  // answer stays queued.
  std::optional<AlertAnswer> takeAlert(const std::string& messageText);
  std::optional<PanelAnswer> takePanel(PanelAnswer::Kind kind);

  // Descriptions of the answers never given.
  std::vector<std::string> unused() const;

 private:
  std::deque<std::variant<AlertAnswer, PanelAnswer>> answers_;
};

}  // namespace quorvane::testing
