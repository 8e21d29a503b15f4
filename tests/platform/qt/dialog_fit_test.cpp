// Runs twice: on the offscreen platform's default screen, and as "scale2." on a
// 1280x800 screen at QT_SCALE_FACTOR=2 (640x400 points), where the long dialogs
// do not fit whole. How fast a pop-up of a long history opens is measured by
// bench/qt/restore_dialog_bench.cpp.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>

#include "account/account_form.h"
#include "history/version_list.h"
#include "platform/qt/alert_dialog.h"

namespace quorvane {
namespace {

// Whether the whole of the scroll area's widget can be brought into view.
bool reachable(QScrollArea* area, Qt::Orientation direction) {
  const bool across = direction == Qt::Horizontal;
  const int hidden = across ? area->widget()->width() - area->viewport()->width()
                            : area->widget()->height() - area->viewport()->height();
  const QScrollBar* bar = across ? area->horizontalScrollBar() : area->verticalScrollBar();
  const Qt::ScrollBarPolicy policy =
      across ? area->horizontalScrollBarPolicy() : area->verticalScrollBarPolicy();
  return hidden <= 0 || (policy != Qt::ScrollBarAlwaysOff && bar->maximum() >= hidden);
}

TEST(DialogFit, EveryDialogFitsItsScreenWithItsButtonsInView) {
  std::string engineError;
  for (int i = 0; i < 200; ++i) engineError += "line " + std::to_string(i) + " of the error\n";
  std::vector<VersionEntry> versions;
  for (std::uint64_t i = 0; i < 3; ++i) {
    versions.push_back({i, "Documents/report-" + std::to_string(i) + ".txt — 15.01.27 — Desk"});
  }
  const Alert alerts[] = {
      {"Version restored", "Restored a.txt", {}, std::nullopt},
      {"Could not load history", engineError, {}, std::nullopt},
      {"Could not sign in", "fingerprint " + std::string(5000, 'f'), {}, std::nullopt},
      {std::string(400, 'T'), "a title from the engine", {"Change Password…", "Done"}, {}},
      AccountForm("Set up your account", "Use at least 12 characters.", "owner",
                  AskCurrentPassword::yes, AskDisplayName::yes)
          .alert(),
      restoreDialog(versions),
  };
  for (const Alert& alert : alerts) {
    SCOPED_TRACE(alert.messageText.substr(0, 30));
    AlertDialog dialog(alert);
    dialog.show();
    QApplication::processEvents();
    const QRect screen = dialog.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(dialog.frameGeometry()))
        << dialog.width() << "x" << dialog.height() << " on " << screen.width() << "x"
        << screen.height();
    for (QPushButton* button : dialog.buttons()) {
      EXPECT_TRUE(dialog.rect().contains(QRect(button->mapTo(&dialog, QPoint()), button->size())));
    }
    auto* body = dialog.findChild<QScrollArea*>("body");
    ASSERT_NE(body, nullptr);
    EXPECT_TRUE(reachable(body, Qt::Vertical));
    EXPECT_TRUE(reachable(body, Qt::Horizontal));
  }
}

}  // namespace
}  // namespace quorvane
