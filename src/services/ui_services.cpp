// The real and the batch user-interface services.
#include "services/ui_services.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <cstdio>

namespace morvane::services {

namespace {

const QString kMessageTitle = QStringLiteral("Message QUENTARIS");

/// Message boxes modal to a parent window and the application-wide busy pointer.
class QtUiServices : public UiServices {
 public:
  explicit QtUiServices(QWidget* parent) : parent_(parent) {}
  ~QtUiServices() override { SetBusy(false); }

  void MsgBox(const QString& text, MsgIcon icon) override {
    QMessageBox box(ToQtIcon(icon), kMessageTitle, text, QMessageBox::Ok, parent_.data());
    box.exec();
  }

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
  static QMessageBox::Icon ToQtIcon(MsgIcon icon) {
    switch (icon) {
      case MsgIcon::Exclamation: return QMessageBox::Warning;
      case MsgIcon::Information: return QMessageBox::Information;
      case MsgIcon::Critical: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
  }

  QPointer<QWidget> parent_;
  bool busy_ = false;
};

}  // namespace

std::unique_ptr<UiServices> MakeQtUiServices(QWidget* parent) {
  return std::make_unique<QtUiServices>(parent);
}

void BatchUiServices::MsgBox(const QString& text, MsgIcon icon) {
  messages_.emplace_back(text, icon);
  std::fprintf(stderr, "%s: %s\n", qPrintable(kMessageTitle), text.toUtf8().constData());
}

void BatchUiServices::ProcessEvents() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

QDate BatchUiServices::Today() const { return TodayFromEnvironment(); }

QDate TodayFromEnvironment() {
  const QByteArray fixed = qgetenv("MORVANE_TODAY");
  if (!fixed.isEmpty()) {
    const QDate date = QDate::fromString(QString::fromLatin1(fixed).trimmed(), Qt::ISODate);
    if (date.isValid()) return date;
  }
  return QDate::currentDate();
}

}  // namespace morvane::services
