#pragma once

#include <optional>
#include <string>

#include "app/dialogs.h"
#include "app/engine_session.h"
#include "app/locations.h"
#include "common/json_document.h"
#include "platform/system.h"

namespace quorvane {

// The watch process as flows may drive it. Main thread only.
class WatchControl {
 public:
  virtual ~WatchControl() = default;
  // Launches a watch process unless one runs, syncing is paused, the engine is busy
  // or no sync folder is configured; a failure is shown as the menu's status line.
  virtual void start() = 0;
  // Stops the watch process, if one runs, and waits for it.
  virtual void stop() = 0;
};

// What a flow is handed by the application, and all it may use. The application
// lives as long as any command or session a flow started, so a completion may
// hold the context by reference.
struct FlowContext {
  Dialogs& dialogs;
  EngineCommands& commands;
  WatchControl& watch;
  const Locations& locations;
  System& system;                // the host's name, the login item
  std::optional<Json>& account;  // the last account details; the menu reads them
};

// query(_:completion:): the engine alone for a flow that begins by asking it
// `command --config <config>`. Does nothing while the engine is busy.
void query(FlowContext& flow, const std::string& command, EngineSession::Completion completion);

}  // namespace quorvane
