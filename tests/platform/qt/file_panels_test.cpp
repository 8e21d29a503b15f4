#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

#include "platform/qt/modal_gate.h"
#include "platform/qt/qt_loop.h"
#include "platform/qt/qt_ui.h"
#include "qt_test_support.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

using testing::TempDir;
using testing::whenModal;

struct Seen {
  QString title, message, directory, name;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  bool dirsOnly = false, readOnly = false, gateClosed = false;
};

// Reads the panel, then chooses `choice` (none: cancels).
void person(Seen& seen, const ModalGate& gate, std::optional<std::filesystem::path> choice) {
  whenModal([&seen, &gate, choice](QWidget* modal) {
    auto* files = modal->findChild<QFileDialog*>();
    ASSERT_NE(files, nullptr);
    seen.title = modal->windowTitle();
    auto* message = modal->findChild<QLabel*>("panelMessage");
    seen.message = message ? message->text() : QString();
    seen.directory = files->directory().absolutePath();
    auto* name = files->findChild<QLineEdit*>("fileNameEdit");
    seen.name = name ? name->text() : QString();
    seen.mode = files->fileMode();
    seen.dirsOnly = files->testOption(QFileDialog::ShowDirsOnly);
    seen.readOnly = files->testOption(QFileDialog::ReadOnly);
    seen.gateClosed = !gate.isOpen();
    if (!choice) return files->reject();
    files->selectFile(QString::fromStdString(choice->string()));
    QMetaObject::invokeMethod(files, "accept");  // as the Choose button does
  });
}

TEST(FilePanels, ShowWhatTheyAreGivenAndReturnTheChoice) {
  TempDir home;
  std::filesystem::create_directory(home / "Sync");
  ModalGate gate;
  QtLoop loop(gate);
  QtUi ui(gate, loop);
  Seen seen;

  OpenPanel folders{"Choose your private sync folder",
                    "Choose a dedicated folder.",
                    false,
                    true,
                    true,
                    false,
                    home.path()};
  person(seen, gate, home / "Sync");
  PanelResult chosen = ui.runOpenPanel(folders);
  EXPECT_EQ(chosen.response, kModalResponseOK);
  EXPECT_EQ(chosen.url, home / "Sync");
  EXPECT_EQ(seen.title, "Choose your private sync folder");
  EXPECT_EQ(seen.message, "Choose a dedicated folder.");
  EXPECT_EQ(seen.directory.toStdString(), home.path().string());
  EXPECT_EQ(seen.mode, QFileDialog::Directory);
  EXPECT_TRUE(seen.dirsOnly);
  EXPECT_FALSE(seen.readOnly) << "folders may be created";
  EXPECT_TRUE(seen.gateClosed);

  OpenPanel file;
  file.title = "Choose the server connection file";
  person(seen, gate, std::nullopt);
  PanelResult cancelled = ui.runOpenPanel(file);
  EXPECT_EQ(cancelled.response, kModalResponseCancel);
  EXPECT_FALSE(cancelled.url);
  EXPECT_EQ(seen.mode, QFileDialog::ExistingFile);
  EXPECT_TRUE(seen.readOnly) << "an open panel creates no folders unless asked";

  SavePanel save{"Export server connection", "Share it.", "Quorvane Home.quorvane-server",
                 home.path()};
  person(seen, gate, home / "Quorvane Home.quorvane-server");
  PanelResult saved = ui.runSavePanel(save);
  EXPECT_EQ(seen.name, "Quorvane Home.quorvane-server");
  EXPECT_EQ(saved.response, kModalResponseOK);
  EXPECT_EQ(saved.url, home / "Quorvane Home.quorvane-server");
  EXPECT_TRUE(gate.isOpen());
}

}  // namespace
}  // namespace quorvane
