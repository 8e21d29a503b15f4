#pragma once

#include "platform/dialogs.h"

namespace quorvane {

// Open and save panels: Qt's own file dialog (never the desktop's native one, so
// the message can be shown above it and it behaves alike on every desktop), run
// application-modal. The caller holds the modal gate.
PanelResult runOpenPanelDialog(const OpenPanel& panel);
PanelResult runSavePanelDialog(const SavePanel& panel);

}  // namespace quorvane
