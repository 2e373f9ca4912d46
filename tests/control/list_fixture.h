// A control on a small hand-made database, printing on recording printers,
// for the tests of the printed list.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "ctr_morvane_test_access.h"
#include "lookup_fixture.h"
#include "services/recording_printer.h"

namespace morvane::testing {

class ListTest : public ::testing::Test, public TestDatabase {
 protected:
  static constexpr int kLaser = 0;
  static constexpr int kMatricielle = 1;

  void SetUp() override {
    Secteur("001", "Secteur Un");
    Secteur("002", "Secteur Deux");
    Secteur("009", "Secteur Neuf");
    Motifs({{"01", "Maladie"}, {"02", "Accident du travail"}, {"03", "Mi-temps thérapeutique"},
            {"04", "Maladie professionnelle"}, {"05", "Hospitalisation"}, {"06", "Maternité"},
            {"07", "Mariage"}, {"08", "Naissance"}, {"09", "Décès"}, {"10", "Enfant malade"},
            {"11", "Déménagement"}, {"15", "Congés payés"}, {"22", "A valider"}, {"31", "Congé sans solde"}});
    services::OutilsDate::Install(services::MakeBatchOutilsDate(0, 1));
    control_ = std::make_unique<control::Ctr_Morvane>();
    auto environment = std::make_unique<services::Environment>();
    environment->ui = std::make_unique<services::RecordingUiServices>(QDate(2024, 3, 15));
    auto printers = std::make_unique<services::RecordingPrinterList>(
        std::vector<QString>{QStringLiteral("HP LaserJet"), QStringLiteral("Epson MatriCielle")});
    printers_ = printers.get();
    environment->printers = std::move(printers);
    control_->SetEnvironment(std::move(environment));
    control_->setClosesHostWindow(false);
    control_->setTheDatabase(&db());
    control_->setDroitsUtilisateur(services::MakeDroits("test", 2, {"001", "002"}));
    control_->INIT();
    auto& form = control::CtrMorvaneTestAccess::Form(*control_);
    const QSignalBlocker a(form.Txt_Debut), b(form.Txt_Fin);
    form.Txt_Debut->setText(QStringLiteral("01/01/2024"));
    form.Txt_Fin->setText(QStringLiteral("31/12/2024"));
  }
  void TearDown() override { control_.reset(); }

  control::Ctr_Morvane& control() { return *control_; }
  services::RecordingPrinter& Recorder(int index) { return printers_->Recorder(index); }

  /// A carer: surname, first name, sector, address parts 5-8, complement 9,
  /// postcode 10 and town 11.
  void Aidant(const std::string& code, const std::string& nom, const std::string& prenom,
              const std::string& secteur, const std::vector<std::string>& adresse = {"3", "", "RUE", "HAUTE"},
              const std::string& complement = "", const std::string& cp = "42000",
              const std::string& ville = "SAINT-ÉTIENNE") {
    Write("CIVILAIDANT", code,
          {{2, {nom}}, {3, {prenom}}, {5, {adresse[0]}}, {6, {adresse[1]}}, {7, {adresse[2]}}, {8, {adresse[3]}},
           {9, {complement}}, {10, {cp}}, {11, {ville}}, {31, {secteur}}});
  }
  void Absence(const std::string& key, std::initializer_list<std::pair<int, std::vector<std::string>>> attrs) {
    Write("ABSENCESAIDANT", key, attrs);
  }
  static std::string Cle(const std::string& aidant, const std::string& motif, int premierJour) {
    return aidant + motif + std::to_string(premierJour);
  }
  /// Result rows for these keys: start half-day "1", last day (the first day
  /// plus 2 unless given), end half-day "2", no observation.
  static mvdb::DynArray Lignes(const std::vector<std::string>& cles, const char* dernierJour = nullptr) {
    mvdb::DynArray rows;
    for (std::size_t i = 0; i < cles.size(); ++i) {
      const int row = static_cast<int>(i) + 1;
      rows.SetItem(row, 1, cles[i]);
      rows.SetItem(row, 2, "1");
      rows.SetItem(row, 3, dernierJour ? dernierJour : std::to_string(std::stoi(cles[i].substr(7)) + 2));
      rows.SetItem(row, 4, "2");
    }
    return rows;
  }

  /// Runs one copy of the list on printer `index`.
  void Imprimer(int index, const mvdb::DynArray& lignes) {
    control::CtrMorvaneTestAccess::State(*control_).ResultatSelection = lignes;
    printers_->SetCurrent(index);
    control::CtrMorvaneTestAccess::Select_Impression(*control_);
  }

  /// The text lines of the table body of a page (at or below 6.4 cm).
  std::vector<QString> LignesDuCorps(int page, int index) {
    std::vector<QString> lines;
    for (const auto& [y, text] : Recorder(index).PageLines(page, 1)) {
      if (y >= 6.4 * 567 - 1 && !text.trimmed().isEmpty()) lines.push_back(text);
    }
    return lines;
  }
  /// First lines of the detail blocks (they start with the carer code).
  std::vector<QString> LignesDeDetail(int page, int index = kLaser) {
    std::vector<QString> lines;
    for (const QString& l : LignesDuCorps(page, index)) {
      if (!l.startsWith(QLatin1Char(' '))) lines.push_back(l);
    }
    return lines;
  }
  /// Second lines of the detail blocks (they start with 36 spaces).
  std::vector<QString> SecondesLignes(int page, int index = kLaser) {
    std::vector<QString> lines;
    for (const auto& [y, text] : Recorder(index).PageLines(page, 1)) {
      if (y >= 6.4 * 567 - 1 && text.startsWith(QString(36, QLatin1Char(' ')))) lines.push_back(text);
    }
    return lines;
  }

  /// True when a full-width horizontal line of the table is drawn at y on the page.
  bool TraitHorizontal(int page, double y, int index = kLaser) {
    for (const auto& op : Recorder(index).Lines(page, 1)) {
      if (std::abs(op.y - y) < 0.5 && std::abs(op.y2 - y) < 0.5 && op.x == 0 && std::abs(op.x2 - 27 * 567) < 0.5) {
        return true;
      }
    }
    return false;
  }

  /// Column, counted from 0.5 cm, of the colon printed after an underlined label.
  int ColonneDesDeuxPoints(const QString& label, int index = kLaser) {
    const auto& ops = Recorder(index).Ops();
    for (std::size_t i = 0; i + 1 < ops.size(); ++i) {
      if (ops[i].kind != services::PrintOp::Kind::Text || ops[i].text != label) continue;
      const auto& next = ops[i + 1];
      const double charWidth = 120;  // recording metrics at 10 pt
      return static_cast<int>(std::lround((next.x + next.text.indexOf(QLatin1Char(':')) * charWidth - 0.5 * 567) /
                                          charWidth));
    }
    return -1;
  }

 private:
  std::unique_ptr<control::Ctr_Morvane> control_;
  services::RecordingPrinterList* printers_ = nullptr;
};

}  // namespace morvane::testing
