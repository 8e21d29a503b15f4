// The floor of the desktop figures: the least a Qt 6 tray program does that shows
// what Quorvane shows at rest. An icon, a menu of fifteen items, and every two
// seconds one small file read into the tooltip. bench/desktop_figures.sh builds
// it with the same compiler and flags as the application and measures both alike.
//
//   minimal_tray <icon.svg> <file>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (argc < 3) return 2;
  const QString file = QString::fromLocal8Bit(argv[2]);

  QMenu menu;
  for (int i = 0; i < 15; ++i) {
    if (i == 1 || i == 6 || i == 11) menu.addSeparator();
    menu.addAction(QStringLiteral("Item %1").arg(i))->setEnabled(i != 0);
  }
  QSystemTrayIcon tray(QIcon(QString::fromLocal8Bit(argv[1])));
  tray.setContextMenu(&menu);
  tray.show();

  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QFile status(file);
    if (status.open(QIODevice::ReadOnly)) tray.setToolTip(QString::fromUtf8(status.readAll()));
  });
  timer.start(2000);
  return QApplication::exec();
}
