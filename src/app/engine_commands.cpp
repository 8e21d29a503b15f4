#include "app/app_delegate.h"

namespace quorvane {

bool AppDelegate::busy() const {
  return commandsRunning_ > 0 || sessionOpen_;
}

void AppDelegate::run(std::vector<std::string> arguments, std::optional<std::string> input,
                      Completion completion) {
  ++commandsRunning_;
  rebuildMenu("Working…");
  // The delegate stays alive until the completion step has run.
  engine_->run(std::move(arguments), std::move(input),
               [delegate = shared_from_this(),
                completion = std::move(completion)](EngineResult result) mutable {
                 --delegate->commandsRunning_;
                 if (!delegate->busy()) delegate->rebuildMenu(delegate->statusLine_);
                 if (Completion done = std::move(completion)) done(result.status, result.text);
                 // What the completion held, a session among it, is gone by now: the
                 // session has ended and the refresh sees the engine free.
                 delegate->refresh();
               });
}

std::shared_ptr<EngineSession> AppDelegate::exclusiveSession() {
  if (busy()) return nullptr;
  stop();
  sessionOpen_ = true;
  rebuildMenu(statusLine_);
  return std::make_shared<EngineSession>(shared_from_this());
}

void AppDelegate::endSession() {
  sessionOpen_ = false;
  if (!busy()) rebuildMenu(statusLine_);
  start();
}

}  // namespace quorvane
