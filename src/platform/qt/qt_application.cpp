#include "platform/qt/qt_application.h"

#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "platform/linux/linux_system.h"
#include "platform/qt/instance_handoff.h"
#include "platform/qt/modal_gate.h"
#include "platform/qt/opened_files_queue.h"
#include "platform/qt/opened_paths.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"
#include "platform/qt/symbol_icons.h"
#include "platform/qt/termination_signals.h"

namespace quorvane {
namespace {

constexpr const char* kSocketName = "org.quorvane.Quorvane.socket";
// How long quitting waits for an engine command still running in the background.
constexpr auto kBackgroundGrace = std::chrono::seconds(3);

bool anotherInstanceRuns(LinuxSystem& system) {
  const int self = system.processIdentifier();
  for (int pid : system.runningApplicationProcessIds(LinuxSystem::kBundleIdentifier)) {
    if (pid != self) return true;
  }
  return false;
}

// A later launch: no window and no display needed, only the socket.
int handOff(int& argc, char** argv, LinuxSystem& system,
            const std::vector<std::filesystem::path>& paths) {
  if (paths.empty()) return 0;
  QCoreApplication app(argc, argv);
  const auto socket = system.runtimeDirectory() / kSocketName;
  if (auto error = handOffPaths(socket, paths)) {
    system.log("Could not pass the files to the running Quorvane: " + *error);
    return 1;
  }
  return 0;
}

}  // namespace

QtApplication::QtApplication(int& argc, char** argv) : argc_(argc), argv_(argv) {}

int QtApplication::run(const DelegateFactory& makeDelegate) {
  const std::vector<std::string> arguments(argv_, argv_ + argc_);
  LinuxSystem system(arguments);
  const std::vector<std::filesystem::path> paths = openedPaths(arguments);
  if (anotherInstanceRuns(system)) return handOff(argc_, argv_, system, paths);

  QApplication app(argc_, argv_);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(QStringLiteral("Quorvane"));
  QApplication::setDesktopFileName(QStringLiteral("org.quorvane.Quorvane"));
  QApplication::setWindowIcon(applicationIcon());

  ModalGate gate;
  QtLoop loop(gate);
  QtUi ui(gate, loop);
  std::shared_ptr<ApplicationDelegate> delegate = makeDelegate(Platform{loop, ui, system});
  ui.setDelegate(delegate.get());

  OpenedFilesQueue opened(gate, [&](const std::vector<std::filesystem::path>& files) {
    if (!ui.terminating()) delegate->applicationOpen(files);
  });
  TerminationSignals termination([&ui] { ui.terminate(); });
  HandoffServer handoff([&](std::vector<std::filesystem::path> files) {
    // From the loop, not from inside the socket's signal: the files may open dialogs.
    loop.post([&opened, files = std::move(files)] { opened.add(files); });
  });
  if (auto error = handoff.listen(system.runtimeDirectory() / kSocketName)) {
    system.log("Files opened later will not reach this instance: " + *error);
  }

  QTimer::singleShot(0, &app, [&] {
    delegate->applicationDidFinishLaunching();
    opened.add(paths);
    opened.launched();
  });

  const int code = QApplication::exec();

  // The quit stopped the watch process, but code resumed from an interrupted
  // modal may have started it again; a loop that ended some other way never asked.
  if (!ui.terminating() || ui.terminatedInsideModal()) delegate->applicationShouldTerminate();

  if (!loop.waitForBackground(kBackgroundGrace)) {
    // An engine command is still running and holds parts of the platform; leave
    // now without unwinding them. Its child gets SIGTERM as its thread ends.
    system.log("Quitting while an engine command still runs");
    std::fflush(nullptr);
    std::_Exit(code);
  }
  opened.close();
  loop.discardPending();
  ui.setDelegate(nullptr);
  delegate.reset();
  return code;
}

}  // namespace quorvane
