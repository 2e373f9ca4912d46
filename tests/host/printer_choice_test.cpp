// The printer choice of the window, as the office sees it: in French, with a
// PDF file named after the output and the time, and never replacing a file
// without asking.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>

#include <unistd.h>

#include "host/translations.h"
#include "services/outils_date.h"
#include "services/print_preview.h"
#include "services/printer_choice_dialog.h"
#include "services/printer_list.h"

namespace morvane::host {
namespace {

namespace fs = std::filesystem;
using services::PrinterChoiceDialog;

/// Runs `step` on the modal window of type W once the event loop shows it.
template <class W>
void WhenShown(std::function<void(W&)> step) {
  QTimer::singleShot(0, [step] {
    auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
    ASSERT_NE(window, nullptr);
    step(*window);
  });
}

QString ButtonText(QDialogButtonBox& box, QDialogButtonBox::StandardButton which) {
  return box.button(which)->text().remove(QLatin1Char('&'));
}

TEST(PrinterChoice, SpeaksFrenchProposesATimedFileAndAsksBeforeReplacingOne) {
  ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
  const fs::path dir = fs::temp_directory_path() / ("morvane-choice-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path existing = dir / "ancien.pdf";
  std::ofstream(existing) << "already here";
  const QByteArray today = qgetenv("MORVANE_TODAY");
  qputenv("MORVANE_TODAY", "2025-06-15");

  services::PrinterList printers({{QStringLiteral("LASER"), services::PrinterInfo::Kind::Recording, {}},
                                  {QStringLiteral("PDF"), services::PrinterInfo::Kind::Pdf, dir / "impression.pdf"}});
  auto service = services::MakeOutilsDate(printers, QStringLiteral("pdf"), [] { return QStringLiteral("planning"); });
  QString title;
  QString proposed;
  QStringList questions;  // the overwrite question's text and buttons, each time it is asked

  WhenShown<PrinterChoiceDialog>([&](PrinterChoiceDialog& dialog) {
    auto& buttons = *dialog.findChild<QDialogButtonBox*>();
    EXPECT_EQ(ButtonText(buttons, QDialogButtonBox::Cancel).toStdString(), "Annuler");
    EXPECT_EQ(dialog.SelectedIndex(), 1);  // the printer of the settings
    auto& file = *dialog.findChild<QLineEdit*>(QStringLiteral("file"));
    proposed = file.text();
    file.setText(QString::fromStdString(existing.string()));
    // "Non" keeps the dialog open; "Oui" chooses the file.
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
      WhenShown<QMessageBox>([&questions, answer](QMessageBox& box) {
        questions << box.text() + QStringLiteral(" [") + box.button(QMessageBox::Yes)->text() +
                         QStringLiteral("/") + box.button(QMessageBox::No)->text() + QStringLiteral("]");
        box.button(answer)->click();
      });
      buttons.button(QDialogButtonBox::Ok)->click();
      if (answer == QMessageBox::No) {
        EXPECT_TRUE(dialog.isVisible());
      }
    }
  });
  EXPECT_EQ(service->ChoixImprimante(title), QStringLiteral("1"));

  const QString folder = QString::fromStdString(dir.string());
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^%1/planning-20250615-\\d{6}\\.pdf$")
                                     .arg(QRegularExpression::escape(folder)))
                  .match(proposed)
                  .hasMatch())
      << proposed.toStdString();
  const std::string question = "Le fichier « ancien.pdf » existe déjà.\nVoulez-vous le remplacer ? [&Oui/&Non]";
  EXPECT_EQ(questions.join(QLatin1Char('|')).toStdString(), question + "|" + question);
  EXPECT_EQ(printers.At(1).outputFile, existing);  // the next job writes the chosen file

  // Giving up changes nothing.
  WhenShown<PrinterChoiceDialog>([](PrinterChoiceDialog& dialog) { dialog.reject(); });
  EXPECT_EQ(service->ChoixImprimante(title), QStringLiteral("-1"));
  EXPECT_EQ(printers.At(1).outputFile, existing);

  qputenv("MORVANE_TODAY", today);
  fs::remove_all(dir);
}

// "Aperçu" shows the pages the output draws for the printer and copies chosen
// so far; printing from it answers the choice, leaving it gives the choice up,
// and a drawing that fails reaches the caller.
TEST(PrinterChoice, ThePreviewShowsTheOutputsPagesThenPrintsOrGivesUp) {
  services::PrinterList printers({{QStringLiteral("LASER"), services::PrinterInfo::Kind::Recording, {}}});
  auto service = services::MakeOutilsDate(printers);
  service->ProposerApercu([](services::Printer& surface, int index, int copies) {
    if (copies == 9) throw services::PrinterError("lecture impossible");
    for (int n = 1; n <= copies; ++n) {
      if (n != 1) surface.NewPage();
      surface.Print(surface.DeviceName() + QStringLiteral(" %1").arg(index));
    }
  });
  struct Case {
    int copies;
    bool print;
    std::string answer;  // or the failure's text
    std::string seen;    // pages previewed, copies answered; "": the preview never shows
  };
  const Case cases[] = {{3, true, "0", "3 pages, 3 copies"},
                        {2, false, "-1", "2 pages, 1 copies"},
                        {9, true, "lecture impossible", ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.copies);
    std::string seen;
    WhenShown<PrinterChoiceDialog>([&c, &seen](PrinterChoiceDialog& dialog) {
      dialog.SetCopies(c.copies);
      if (!c.seen.empty()) WhenShown<services::PrintPreviewDialog>([&c, &seen](services::PrintPreviewDialog& preview) {
        seen = std::to_string(preview.PageCount()) + " pages";
        c.print ? preview.accept() : preview.reject();
      });
      dialog.findChild<QPushButton*>(QStringLiteral("preview"))->click();
    });
    QString title;
    std::string answer;
    try {
      answer = service->ChoixImprimante(title).toStdString();
      seen += ", " + std::to_string(service->NbExemplaires()) + " copies";
    } catch (const services::PrinterError& e) {
      answer = e.what();
    }
    EXPECT_EQ(std::tie(answer, seen), std::tie(c.answer, c.seen));
  }
}

}  // namespace
}  // namespace morvane::host
