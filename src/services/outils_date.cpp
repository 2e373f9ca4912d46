// Day numbers, the date service's conversions, its real and batch printer
// choice, and the process-wide instance.
#include "services/outils_date.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <exception>

#include "services/date_text.h"
#include "services/print_preview.h"
#include "services/printer_choice_dialog.h"
#include "services/printer_list.h"
#include "services/ui_services.h"

namespace morvane::services {

namespace {

// Day 0 is the day before 1 January 1968.
const QDate kDayZero(1967, 12, 31);

/// Date conversions shared by the real and the batch service. Errors are never
/// shown by the service itself: the control shows its own message, so
/// ErreurSignalee stays false.
class DateConversions : public OutilsDate {
 public:
  QString FormaterDate(QString& typed, bool /*signalErrors*/) override {
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty()) return {};
    const auto date = ReadTypedDate(trimmed, TodayFromEnvironment());
    return date ? DisplayText(*date) : trimmed;
  }

  QString DateInterne(const QString& text) override {
    const QDate date = ParseDisplayDate(text, TodayFromEnvironment());
    if (!date.isValid()) return {};
    return QString::number(DayNumber(date));
  }

  QString DateExterne(const QString& day) override {
    bool ok = false;
    const qlonglong number = day.trimmed().toLongLong(&ok);
    if (!ok || number < INT32_MIN || number > INT32_MAX) return {};
    const QDate date = DateOfDay(static_cast<std::int32_t>(number));
    return date.isValid() ? date.toString(QStringLiteral("dd/MM/yyyy")) : QString();
  }

  bool ErreurSignalee() const override { return false; }
  std::int16_t NbExemplaires() const override { return copies_; }

 protected:
  std::int16_t copies_ = 1;
};

/// The interactive service: a modal PrinterChoiceDialog over a printer list.
class QtOutilsDate : public DateConversions {
 public:
  QtOutilsDate(PrinterList& printers, const QString& firstPrinter, std::function<QString()> output)
      : printers_(&printers), lastIndex_(printers.IndexOf(firstPrinter)), output_(std::move(output)) {}
  explicit QtOutilsDate(std::unique_ptr<PrinterList> owned) : owned_(std::move(owned)), printers_(owned_.get()) {}

  QString ChoixImprimante(QString& title) override {
    QStringList names;
    for (int i = 0; i < printers_->Count(); ++i) names << printers_->At(i).name;
    const int preselected = std::max(0, lastIndex_);
    PrinterChoiceDialog dialog(names, preselected, title, QApplication::activeWindow());
    // Each PDF printer proposes a file telling what is printed and when.
    const QDateTime now(TodayFromEnvironment(), QTime::currentTime());
    for (int i = 0; i < printers_->Count(); ++i) {
      const PrinterInfo& info = printers_->At(i);
      if (info.kind != PrinterInfo::Kind::Pdf) continue;
      const QString configured = QString::fromStdString(info.outputFile.string());
      dialog.ProposeFile(i, output_ ? QFileInfo(configured).dir().filePath(ProposedPdfName(output_(), now))
                                    : configured);
    }
    // The preview's failure goes to the caller once the dialog is closed.
    std::exception_ptr failure;
    if (apercu_) {
      dialog.SetPreview([this, &dialog, &failure](int row, int copies) {
        try {
          PrintPreviewDialog preview(printers_->At(row), [&](Printer& surface) { apercu_(surface, row, copies); },
                                     &dialog);
          return preview.Run();
        } catch (...) {
          failure = std::current_exception();
          return false;
        }
      });
    }
    copies_ = 1;
    const bool chosen = dialog.exec() == QDialog::Accepted && dialog.SelectedIndex() >= 0;
    if (failure) std::rethrow_exception(failure);
    if (!chosen) return QStringLiteral("-1");
    copies_ = static_cast<std::int16_t>(dialog.Copies());
    lastIndex_ = dialog.SelectedIndex();
    if (const QString file = dialog.ChosenFile(); !file.isEmpty()) {
      printers_->SetOutputFile(lastIndex_, file.toStdString());
    }
    return QString::number(lastIndex_);
  }

  void ProposerApercu(Apercu apercu) override { apercu_ = std::move(apercu); }

 private:
  std::unique_ptr<PrinterList> owned_;
  PrinterList* printers_;
  int lastIndex_ = -1;
  std::function<QString()> output_;
  Apercu apercu_;
};

/// The non-interactive service: a fixed answer to every printer choice.
class BatchOutilsDate : public DateConversions {
 public:
  BatchOutilsDate(int printerIndex, int copies) : index_(printerIndex < 0 ? -1 : printerIndex) {
    chosenCopies_ = static_cast<std::int16_t>(std::clamp(copies, 1, 99));
  }

  QString ChoixImprimante(QString& /*title*/) override {
    copies_ = index_ < 0 ? std::int16_t{1} : chosenCopies_;
    return QString::number(index_);
  }

 private:
  int index_;
  std::int16_t chosenCopies_;
};

std::unique_ptr<OutilsDate>& InstanceSlot() {
  static std::unique_ptr<OutilsDate> instance;
  return instance;
}

}  // namespace

std::int32_t DayNumber(const QDate& date) { return static_cast<std::int32_t>(kDayZero.daysTo(date)); }

QDate DateOfDay(std::int32_t day) { return kDayZero.addDays(day); }

OutilsDate& OutilsDate::Instance() {
  auto& slot = InstanceSlot();
  if (!slot) {
    // The default service lists the platform's printers in the same order as
    // PrinterList::FromPlatform, so its indexes match the desktop environment's.
    const auto pdf = std::filesystem::path(QDir::tempPath().toStdString()) / "morvane.pdf";
    slot = std::make_unique<QtOutilsDate>(PrinterList::FromPlatform(pdf));
  }
  return *slot;
}

void OutilsDate::Install(std::unique_ptr<OutilsDate> service) { InstanceSlot() = std::move(service); }

std::unique_ptr<OutilsDate> MakeOutilsDate(PrinterList& printers, const QString& firstPrinter,
                                           std::function<QString()> output) {
  return std::make_unique<QtOutilsDate>(printers, firstPrinter, std::move(output));
}

std::unique_ptr<OutilsDate> MakeBatchOutilsDate(int printerIndex, int copies) {
  return std::make_unique<BatchOutilsDate>(printerIndex, copies);
}

}  // namespace morvane::services
