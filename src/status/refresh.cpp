#include "app/app_delegate.h"
#include "common/path_join.h"
#include "common/text.h"
#include "platform/posix/files.h"
#include "status/status_look.h"

namespace quorvane {
namespace {

constexpr std::size_t kStatusLineLength = 100;  // user-perceived characters

}  // namespace

void AppDelegate::refresh() {
  // The menu keeps its "Working…" line until the command has completed.
  if (busy_) return;
  if (paused_) {
    rebuildMenu("Paused");
    return;
  }
  // A watch process that ended is replaced here, at most one tick later.
  const std::optional<std::filesystem::path> synced = folder();
  if (!worker_ && synced) start();

  std::optional<std::string> content;
  if (synced) content = files::readWhole(joinPath(*synced, ".quorvane/status.json"));
  const std::optional<Json> none;
  const std::optional<Json>& status =
      content ? status_.of(std::move(*content),
                           [](const std::string& text) { return parseTopLevelScalars(text); })
              : none;
  const StatusLook look = statusLook(status, platform_.loop.secondsSince1970());
  if (statusItem_ && statusItem_->hasButton()) {
    statusItem_->setImage(look.symbol, look.text);
    statusItem_->setToolTip(look.text);
  }
  // The folder was read above; the tick need not parse the configuration again.
  rebuildMenu(graphemePrefix(look.text, kStatusLineLength), synced.has_value());
}

}  // namespace quorvane
