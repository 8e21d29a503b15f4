#include "platform/qt/status_menu.h"

namespace quorvane {

QString literalMenuText(const std::string& title) {
  QString text = QString::fromStdString(title);
  text.replace('&', "&&");
  text.replace('\t', ' ');
  return text;
}

std::unique_ptr<QMenu> buildStatusMenu(const Menu& menu, std::function<void(MenuAction)> choose) {
  auto qmenu = std::make_unique<QMenu>();
  qmenu->setToolTipsVisible(false);
  for (const MenuItem& item : menu) {
    if (item.kind == MenuItem::Kind::separator) {
      qmenu->addSeparator();
      continue;
    }
    QAction* action = qmenu->addAction(literalMenuText(item.title));
    action->setEnabled(item.enabled);
    action->setCheckable(showsAsToggle(item));
    action->setChecked(item.checked);
    action->setMenuRole(QAction::NoRole);
    if (item.action) {
      const MenuAction chosen = *item.action;
      QObject::connect(action, &QAction::triggered, qmenu.get(),
                       [choose, chosen] { choose(chosen); });
    }
  }
  return qmenu;
}

}  // namespace quorvane
