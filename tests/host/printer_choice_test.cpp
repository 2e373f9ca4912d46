// The printer choice of the window, as the office sees it: in French, with a
// PDF file named after the output and the time, and never replacing a file
// without asking; the copies asked for, none when the choice is cancelled.

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "host/translations.h"
#include "mvdb/engine_test_support.h"
#include "services/outils_date.h"
#include "services/printer_choice_dialog.h"
#include "support/test_environment.h"
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

TEST(PrinterChoice, SpeaksFrenchProposesATimedFileAndAsksBeforeReplacingOne) {
  ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
  const mvdb::testing_support::ScratchDir scratch;
  const fs::path& dir = scratch.path();
  const fs::path existing = dir / "ancien.pdf";
  std::ofstream(existing) << "already here";
  const morvane::testing::ScopedEnv today("MORVANE_TODAY", "2025-06-15");

  services::PrinterList printers({{QStringLiteral("LASER"), services::PrinterInfo::Kind::Recording, {}},
                                  {QStringLiteral("PDF"), services::PrinterInfo::Kind::Pdf, dir / "impression.pdf"}});
  auto service = services::MakeOutilsDate(printers, QStringLiteral("pdf"), [] { return QStringLiteral("planning"); });
  QString title, proposed;
  QStringList questions;  // the overwrite question's text and buttons, each time it is asked

  WhenShown<PrinterChoiceDialog>([&](PrinterChoiceDialog& dialog) {
    auto& buttons = *dialog.findChild<QDialogButtonBox*>();
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove('&').toStdString(), "Annuler");
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
      dialog.SetCopies(3);
      buttons.button(QDialogButtonBox::Ok)->click();
      if (answer == QMessageBox::No) {
        EXPECT_TRUE(dialog.isVisible());
      }
    }
  });
  EXPECT_EQ(service->ChoixImprimante(title), QStringLiteral("1"));
  EXPECT_EQ(service->NbExemplaires(), 3);
  // Cancelled: no printer, one copy.
  WhenShown<PrinterChoiceDialog>([](PrinterChoiceDialog& dialog) {
    dialog.SetCopies(7);
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  });
  EXPECT_EQ(service->ChoixImprimante(title), QStringLiteral("-1"));
  EXPECT_EQ(service->NbExemplaires(), 1);

  const QString folder = QString::fromStdString(dir.string());
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^%1/planning-20250615-\\d{6}\\.pdf$")
                                     .arg(QRegularExpression::escape(folder)))
                  .match(proposed)
                  .hasMatch())
      << proposed.toStdString();
  const std::string question = "Le fichier « ancien.pdf » existe déjà.\nVoulez-vous le remplacer ? [&Oui/&Non]";
  EXPECT_EQ(questions.join(QLatin1Char('|')).toStdString(), question + "|" + question);
  EXPECT_EQ(printers.At(1).outputFile, existing);  // the next job writes the chosen file

}

}  // namespace
}  // namespace morvane::host
