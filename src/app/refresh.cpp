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
  if (busy()) return;
  if (paused_) return showStatus("Paused");
  // A watch process that ended is replaced here, at most one tick later.
  const std::optional<std::filesystem::path> synced = locations_.folder();
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
  showStatus(graphemePrefix(look.text, kStatusLineLength), synced.has_value());
}

void AppDelegate::rebuildMenu(const std::string& statusLine) {
  if (statusItem_) statusItem_->setMenu(menuModel(menuFacts(statusLine, std::nullopt)));
}

void AppDelegate::showStatus(const std::string& statusLine, std::optional<bool> hasFolder) {
  statusLine_ = statusLine;
  if (statusItem_) statusItem_->setMenu(menuModel(menuFacts(statusLine, hasFolder)));
}

MenuFacts AppDelegate::menuFacts(const std::string& statusLine,
                                 std::optional<bool> hasFolder) const {
  // Not value_or(): its argument would read the configuration every time.
  return {statusLine,
          hasFolder ? *hasFolder : locations_.folder().has_value(),
          busy(),
          paused_,
          account_ ? &*account_ : nullptr,
          platform_.system.loginItemStatus()};
}

}  // namespace quorvane
