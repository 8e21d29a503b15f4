#include "platform/qt/file_panels.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/qt/symbol_icons.h"

namespace quorvane {
namespace {

// A dialog holding the message above an embedded file dialog; it finishes when
// the file dialog does.
class FilePanel : public QDialog {
 public:
  FilePanel(const std::string& title, const std::string& message,
            const std::optional<std::filesystem::path>& directory) {
    setWindowTitle(title.empty() ? QStringLiteral("Quorvane") : QString::fromStdString(title));
    setWindowIcon(applicationIcon());
    setWindowModality(Qt::ApplicationModal);
    auto* layout = new QVBoxLayout(this);
    if (!message.empty()) {
      auto* label = new QLabel(QString::fromStdString(message), this);
      label->setObjectName(QStringLiteral("panelMessage"));
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      layout->addWidget(label);
    }
    files_ = new QFileDialog(this, Qt::Widget);
    files_->setOption(QFileDialog::DontUseNativeDialog);
    files_->setWindowFlags(Qt::Widget);
    files_->setDirectory(directory ? QString::fromStdString(directory->string())
                                   : QDir::homePath());
    layout->addWidget(files_);
    connect(files_, &QFileDialog::finished, this, &QDialog::done);
    resize(780, 500);
  }

  QFileDialog& files() { return *files_; }

  PanelResult run() {
    PanelResult result;
    if (exec() != QDialog::Accepted) return result;
    const QStringList chosen = files_->selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return result;
    result.response = kModalResponseOK;
    result.url = std::filesystem::path(chosen.front().toStdString());
    return result;
  }

 protected:
  // Raised once it is on screen: before that there is no window to raise, and an
  // accessory application has no other window to come from.
  void showEvent(QShowEvent* event) override {
    QDialog::showEvent(event);
    raise();
    activateWindow();
  }

 private:
  QFileDialog* files_;
};

}  // namespace

PanelResult runOpenPanelDialog(const OpenPanel& panel) {
  FilePanel dialog(panel.title, panel.message, panel.directory);
  QFileDialog& files = dialog.files();
  files.setAcceptMode(QFileDialog::AcceptOpen);
  if (panel.canChooseFiles) {
    // Qt's dialog cannot offer files and folders at once; files win, as the
    // front end asks for both only when it wants a file.
    files.setFileMode(panel.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                    : QFileDialog::ExistingFile);
  } else {
    files.setFileMode(QFileDialog::Directory);
    files.setOption(QFileDialog::ShowDirsOnly);
  }
  files.setOption(QFileDialog::ReadOnly, !panel.canCreateDirectories);
  return dialog.run();
}

PanelResult runSavePanelDialog(const SavePanel& panel) {
  FilePanel dialog(panel.title, panel.message, panel.directory);
  QFileDialog& files = dialog.files();
  files.setAcceptMode(QFileDialog::AcceptSave);
  files.setFileMode(QFileDialog::AnyFile);
  if (!panel.nameFieldStringValue.empty()) {
    files.selectFile(QString::fromStdString(panel.nameFieldStringValue));
  }
  return dialog.run();
}

}  // namespace quorvane
