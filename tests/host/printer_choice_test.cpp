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
      buttons.button(QDialogButtonBox::Ok)->click();
      if (answer == QMessageBox::No) EXPECT_TRUE(dialog.isVisible());
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

  qputenv("MORVANE_TODAY", today);
  fs::remove_all(dir);
}

}  // namespace
}  // namespace morvane::host
