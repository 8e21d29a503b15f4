#pragma once

#include "app/flow_context.h"

namespace quorvane {

// The menu commands that need no engine command.

// The sync folder in the file manager.
void openFolder(FlowContext& flow);
// The folder where the engine keeps local files that syncing replaced, or a word
// on what it will hold once there is none yet.
void openRecovery(FlowContext& flow);
// Registers the login item, or unregisters it when it is enabled; a refusal is
// told. Returns whether it changed, so that the menu shows the new state.
bool toggleLogin(FlowContext& flow);
// The About box, with the path of the sync log.
void about(FlowContext& flow);

}  // namespace quorvane
