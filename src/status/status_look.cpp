#include "status/status_look.h"

#include "common/json_document.h"

namespace quorvane {

StatusLook statusLook(const std::optional<std::string>& content, double now) {
  return statusLook(content ? parseTopLevelScalars(*content) : std::nullopt, now);
}

StatusLook statusLook(const std::optional<Json>& status, double now) {
  StatusLook look{kSymbolInProgress, "Waiting to connect"};
  if (!status) return look;

  const Json* updated = member(*status, "updated_at");
  const double updatedAt = updated && updated->is_number() ? updated->get<double>() : 0.0;
  // A time in the future is not stale: the clocks may disagree, the engine still reports.
  if (now - updatedAt > kStaleAfterSeconds) {
    return {kSymbolAttention, "Sync needs attention — check the log"};
  }

  const Json* message = member(*status, "message");
  if (message && message->is_string()) look.text = message->get<std::string>();
  const Json* state = member(*status, "state");
  if (state && state->is_string()) {
    const auto& name = state->get_ref<const std::string&>();
    if (name == "synced") look.symbol = kSymbolSynced;
    if (name == "waiting") look.symbol = kSymbolWaiting;
  }
  return look;
}

}  // namespace quorvane
