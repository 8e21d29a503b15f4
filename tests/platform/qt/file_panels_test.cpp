#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

#include "qt_test_support.h"
#include "support/temp_dir.h"

namespace quorvane {
namespace {

struct Seen {
  QString title, message, directory, name;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  bool dirsOnly = false, readOnly = false, gateClosed = false;
};

class FilePanelsTest : public testing::QtUiTest {
 protected:
  Seen seen;
  // Reads the panel, then chooses `choice` (none: cancels).
  void person(std::optional<std::filesystem::path> choice) {
    testing::whenModal([this, choice](QWidget* modal) {
      auto* files = modal->findChild<QFileDialog*>();
      ASSERT_NE(files, nullptr);
      auto* message = modal->findChild<QLabel*>("panelMessage");
      auto* name = files->findChild<QLineEdit*>("fileNameEdit");
      seen = {modal->windowTitle(),
              message ? message->text() : "",
              files->directory().absolutePath(),
              name ? name->text() : "",
              files->fileMode(),
              files->testOption(QFileDialog::ShowDirsOnly),
              files->testOption(QFileDialog::ReadOnly),
              !gate.isOpen()};
      if (!choice) return files->reject();
      files->selectFile(QString::fromStdString(choice->string()));
      QMetaObject::invokeMethod(files, "accept");  // as the Choose button does
    });
  }
};

TEST_F(FilePanelsTest, ShowWhatTheyAreGivenAndReturnTheChoice) {
  testing::TempDir home;
  std::filesystem::create_directory(home / "Sync");

  person(home / "Sync");
  PanelResult chosen =
      ui.runOpenPanel({"Choose your private sync folder", "Choose a dedicated folder.", false, true,
                       true, false, home.path()});
  EXPECT_EQ(chosen.response, kModalResponseOK);
  EXPECT_EQ(chosen.url, home / "Sync");
  EXPECT_EQ(seen.title, "Choose your private sync folder");
  EXPECT_EQ(seen.message, "Choose a dedicated folder.");
  EXPECT_EQ(seen.directory.toStdString(), home.path().string());
  EXPECT_EQ(seen.mode, QFileDialog::Directory);
  EXPECT_TRUE(seen.dirsOnly);
  EXPECT_FALSE(seen.readOnly) << "folders may be created";
  EXPECT_TRUE(seen.gateClosed);

  person(std::nullopt);
  OpenPanel file;
  file.title = "Choose the server connection file";
  PanelResult cancelled = ui.runOpenPanel(file);
  EXPECT_EQ(cancelled.response, kModalResponseCancel);
  EXPECT_FALSE(cancelled.url);
  EXPECT_EQ(seen.mode, QFileDialog::ExistingFile);  // no folder can be chosen
  EXPECT_TRUE(seen.readOnly) << "an open panel creates no folders unless asked";

  person(home / "Quorvane Home.quorvane-server");
  PanelResult saved = ui.runSavePanel(
      {"Export server connection", "Share it.", "Quorvane Home.quorvane-server", home.path()});
  EXPECT_EQ(seen.name, "Quorvane Home.quorvane-server");
  EXPECT_EQ(saved.response, kModalResponseOK);
  EXPECT_EQ(saved.url, home / "Quorvane Home.quorvane-server");
  EXPECT_TRUE(gate.isOpen());
}

}  // namespace
}  // namespace quorvane
