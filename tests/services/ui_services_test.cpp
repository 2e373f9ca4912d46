// Today's date, the batch messages and the real message box and busy pointer.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "services/ui_services.h"
#include "test_support.h"

namespace morvane::services {
namespace {

using testing::ScopedEnv;

TEST(Today, FixedByTheEnvironmentWhenValid) {
  {
    ScopedEnv fixed("MORVANE_TODAY", "2024-02-29");
    EXPECT_EQ(TodayFromEnvironment(), QDate(2024, 2, 29));
    EXPECT_EQ(BatchUiServices().Today(), QDate(2024, 2, 29));
  }
  ScopedEnv invalid("MORVANE_TODAY", "2023-02-29");
  EXPECT_EQ(TodayFromEnvironment(), QDate::currentDate());
}

TEST(BatchUi, KeepsEveryMessageWithItsIcon) {
  BatchUiServices ui;
  ui.MsgBox(QStringLiteral("Au moins un type d'absence doit être sélectionné."), MsgIcon::Exclamation);
  ui.MsgBox(QStringLiteral("info"), MsgIcon::Information);
  ASSERT_EQ(ui.Messages().size(), 2u);
  EXPECT_EQ(ui.Messages()[0].second, MsgIcon::Exclamation);
  EXPECT_EQ(ui.Messages()[1].first, QStringLiteral("info"));
}

TEST(QtUi, MessageBoxHasTheHouseTitleOneOkButtonAndTheIcon) {
  auto ui = MakeQtUiServices(nullptr);
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  int buttons = 0;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = static_cast<int>(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  ui->MsgBox(QStringLiteral("Erreur de saisie dans la date, veuillez la ressaisir."), MsgIcon::Exclamation);
  EXPECT_EQ(title, QStringLiteral("Message QUENTARIS"));
  EXPECT_EQ(text, QStringLiteral("Erreur de saisie dans la date, veuillez la ressaisir."));
  EXPECT_EQ(icon, QMessageBox::Warning);
  EXPECT_EQ(buttons, 1);
}

TEST(QtUi, BusyPointerIsAStateNotACounter) {
  ASSERT_EQ(QApplication::overrideCursor(), nullptr);
  {
    auto ui = MakeQtUiServices(nullptr);
    ui->SetBusy(true);
    ui->SetBusy(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui->SetBusy(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui->SetBusy(false);  // not busy: nothing to restore
    ui->SetBusy(true);
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the services restore the pointer when destroyed";
}

}  // namespace
}  // namespace morvane::services
