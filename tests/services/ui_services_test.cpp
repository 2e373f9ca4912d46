// Today's date, the batch messages and progress, and the real message box and
// busy pointer.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

#include "services/ui_services.h"
#include "support/test_environment.h"

namespace morvane::services {
namespace {

using morvane::testing::ScopedEnv;

TEST(Today, FixedByTheEnvironmentWhenValid) {
  {
    ScopedEnv fixed("MORVANE_TODAY", "2024-02-29");
    EXPECT_EQ(TodayFromEnvironment(), QDate(2024, 2, 29));
    EXPECT_EQ(BatchUiServices().Today(), QDate(2024, 2, 29));
  }
  ScopedEnv invalid("MORVANE_TODAY", "2023-02-29");
  EXPECT_EQ(TodayFromEnvironment(), QDate::currentDate());
}

// What a run writes on standard error while it goes: `step` runs with fd 2 on
// a terminal or on a pipe.
std::string StandardError(bool terminal, const std::function<void()>& step) {
  int reader = -1, writer = -1;
  if (terminal) {
    reader = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (reader < 0 || ::grantpt(reader) != 0 || ::unlockpt(reader) != 0) return "no terminal";
    writer = ::open(::ptsname(reader), O_RDWR | O_NOCTTY);
    termios mode{};
    ::tcgetattr(writer, &mode);
    mode.c_oflag &= ~static_cast<tcflag_t>(OPOST);  // the bytes as written
    ::tcsetattr(writer, TCSANOW, &mode);
  } else {
    int ends[2];
    if (::pipe(ends) != 0) return "no pipe";
    reader = ends[0];
    writer = ends[1];
  }
  std::fflush(stderr);
  const int saved = ::dup(STDERR_FILENO);
  ::dup2(writer, STDERR_FILENO);
  step();
  std::fflush(stderr);
  ::dup2(saved, STDERR_FILENO);
  ::close(saved);
  ::close(writer);
  ::fcntl(reader, F_SETFL, O_NONBLOCK);
  std::string bytes;
  char buffer[512];
  for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
  ::close(reader);
  return bytes;
}

TEST(BatchUi, KeepsTheMessagesAndShowsProgressOnATerminalOnly) {
  const auto run = [] {
    BatchUiServices ui;
    ui.Progress(QStringLiteral("12 absences sélectionnées"));
    ui.Progress(QStringLiteral("liste : page 2"));
    ui.MsgBox(QStringLiteral("Fin."), MsgIcon::Information);
    ui.Progress(QStringLiteral("lettre 1"));
    EXPECT_EQ(ui.Messages(), (std::vector<std::pair<QString, MsgIcon>>{{QStringLiteral("Fin."), MsgIcon::Information}}));
  };
  EXPECT_EQ(StandardError(true, run),
            "\r12 absences sélectionnées\033[K\rliste : page 2\033[K\r\033[KMessage QUENTARIS: Fin.\n"
            "\rlettre 1\033[K\r\033[K");
  EXPECT_EQ(StandardError(false, run), "Message QUENTARIS: Fin.\n");
}

TEST(QtUi, MessageBoxHasTheHouseTitleOneOkButtonAndTheIcon) {
  auto ui = MakeQtUiServices(nullptr);
  QString shown;  // title, text, icon, number of buttons
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    shown = QStringLiteral("%1|%2|%3|%4").arg(box->windowTitle(), box->text()).arg(box->icon()).arg(box->buttons().size());
    box->button(QMessageBox::Ok)->click();
  });
  ui->MsgBox(QStringLiteral("Fait."), MsgIcon::Exclamation);
  EXPECT_EQ(shown, QStringLiteral("Message QUENTARIS|Fait.|%1|1").arg(QMessageBox::Warning));
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
