#include "platform/qt/symbol_icons.h"

#include <QFile>

// Outside the namespace, as Q_INIT_RESOURCE requires. The resources live in a
// static library, whose unreferenced objects the linker would otherwise drop.
static void initSymbolResources() {
  Q_INIT_RESOURCE(symbols);
}

namespace quorvane {
namespace {

void ensureResources() {
  static const bool done = (initSymbolResources(), true);
  (void)done;
}

}  // namespace

QIcon symbolIcon(const std::string& symbolName) {
  ensureResources();
  // The name comes from the core; refuse anything that could step outside the
  // folder of symbols.
  if (symbolName.empty() || symbolName.find('/') != std::string::npos) return {};
  const QString path = ":/symbols/" + QString::fromStdString(symbolName) + ".svg";
  if (!QFile::exists(path)) return {};
  return QIcon(path);
}

QIcon applicationIcon() {
  ensureResources();
  return QIcon(":/quorvane.svg");
}

}  // namespace quorvane
