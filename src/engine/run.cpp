#include "app/app_delegate.h"
#include "engine/command_runner.h"

namespace quorvane {

void AppDelegate::run(std::vector<std::string> arguments, std::optional<std::string> input,
                      Completion completion) {
  busy_ = true;
  rebuildMenu("Working…");
  // The delegate stays alive until the completion step has run; it is handed on to
  // the main queue so that its last reference is never dropped on this thread.
  platform_.loop.background([delegate = shared_from_this(), engine = engine(),
                             arguments = std::move(arguments), input = std::move(input),
                             completion = std::move(completion)]() mutable {
    EngineResult result = runEngineCommand(engine, arguments, input);
    Loop& loop = delegate->platform_.loop;
    loop.post([delegate = std::move(delegate), completion = std::move(completion),
               result = std::move(result)] {
      delegate->busy_ = false;
      if (completion) completion(result.status, result.text);
      delegate->refresh();
    });
  });
}

}  // namespace quorvane
