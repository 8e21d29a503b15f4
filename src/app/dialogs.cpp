#include "app/dialogs.h"

namespace quorvane {

template <typename Dialog, typename Show>
auto Dialogs::counted(const Dialog& dialog, Show show) {
  // Counted down however the dialog ends, an exception included.
  struct Down {
    int& count;
    ~Down() { --count; }
  } down{++up_};
  return (ui_.*show)(dialog);
}

AlertResult Dialogs::run(const Alert& alert) {
  return counted(alert, &Ui::runAlert);
}

PanelResult Dialogs::run(const OpenPanel& panel) {
  return counted(panel, &Ui::runOpenPanel);
}

PanelResult Dialogs::run(const SavePanel& panel) {
  return counted(panel, &Ui::runSavePanel);
}

void Dialogs::alert(const std::string& title, const std::string& text) {
  activate();
  run(Alert{title, text, {}, std::nullopt});
}

}  // namespace quorvane
