#include "app/flow_context.h"

namespace quorvane {

void query(FlowContext& flow, const std::string& command, EngineSession::Completion completion) {
  const std::shared_ptr<EngineSession> session = flow.commands.exclusiveSession();
  if (!session) return;
  session->run({command, "--config", flow.locations.config().string()}, std::nullopt,
               std::move(completion));
}

}  // namespace quorvane
