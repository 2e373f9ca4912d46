// The real and the batch user-interface services.
#include "services/ui_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>
#include <QPointer>
#include <QWidget>
#include <cstdio>

#include <unistd.h>

namespace morvane::services {

namespace {

const QString kMessageTitle = QStringLiteral("Message QUENTARIS");
// Pixels a title bar takes besides its title: the window's icon, its three
// buttons and the margins between them.
constexpr int kTitleBarRoom = 150;

QMessageBox::Icon ToQtIcon(MsgIcon icon);

/// Message boxes modal to a parent window and the application-wide busy pointer.
class QtUiServices : public UiServices {
 public:
  explicit QtUiServices(QWidget* parent) : parent_(parent) {}
  ~QtUiServices() override { SetBusy(false); }

  void MsgBox(const QString& text, MsgIcon icon) override { MakeMessageBox(text, icon, parent_.data())->exec(); }

  // The pointer is a state, not a counter: the first "busy" pushes one override
  // cursor, later ones change nothing, and "not busy" pops exactly what was pushed.
  void SetBusy(bool busy) override {
    if (busy == busy_ || qApp == nullptr) return;
    if (busy) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QApplication::restoreOverrideCursor();
    }
    busy_ = busy;
  }

  void ProcessEvents() override { QCoreApplication::processEvents(); }
  void Beep() override { QApplication::beep(); }
  QDate Today() const override { return TodayFromEnvironment(); }

 private:
  QPointer<QWidget> parent_;
  bool busy_ = false;
};

QMessageBox::Icon ToQtIcon(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Critical: return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, MsgIcon icon, QWidget* parent) {
  auto box = std::make_unique<QMessageBox>(ToQtIcon(icon), kMessageTitle, text, QMessageBox::Ok, parent);
  // A box sized to a short text would cut its title ("Mess…TARIS"). Window
  // managers draw titles bolder and larger than the text, beside the window's
  // icon and buttons: the box keeps room for all of them. A QMessageBox sets
  // its own size from its layout, so the room is a spacer in that layout.
  QFont titleFont = box->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.25);
  const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(kMessageTitle) + kTitleBarRoom;
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
    grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
  }
  return box;
}

std::unique_ptr<UiServices> MakeQtUiServices(QWidget* parent) {
  return std::make_unique<QtUiServices>(parent);
}

void BatchUiServices::MsgBox(const QString& text, MsgIcon icon) {
  EndProgress();
  messages_.emplace_back(text, icon);
  std::fprintf(stderr, "%s: %s\n", qPrintable(kMessageTitle), text.toUtf8().constData());
}

void BatchUiServices::ProcessEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

QDate BatchUiServices::Today() const { return TodayFromEnvironment(); }

void BatchUiServices::Progress(const QString& step) {
  if (::isatty(STDERR_FILENO) == 0) return;
  std::fprintf(stderr, "\r%s\033[K", step.toUtf8().constData());
  std::fflush(stderr);
  progressShown_ = true;
}

void BatchUiServices::EndProgress() {
  if (!progressShown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  progressShown_ = false;
}

QDate TodayFromEnvironment() {
  const QByteArray fixed = qgetenv("MORVANE_TODAY");
  if (!fixed.isEmpty()) {
    const QDate date = QDate::fromString(QString::fromLatin1(fixed).trimmed(), Qt::ISODate);
    if (date.isValid()) return date;
  }
  return QDate::currentDate();
}

}  // namespace morvane::services
