// A control on a small hand-made database for the tests of the statistics
// export: carers with their places, an entity, a grid, the reason table
// (eleven entries and more), and the period 01/03/2024 - 31/03/2024. Today
// is 15/03/2024, so the day's files are named AbsAidant-20240315n.csv. The
// user sees sectors 001 and 009, not 002.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ctr_morvane_test_access.h"
#include "lookup_fixture.h"

namespace morvane::testing {

class ExportTest : public ::testing::Test, public TestDatabase {
 protected:
  void SetUp() override {
    Motifs({{"01", "Maladie"}, {"02", "Accident du travail"}, {"03", "Mi-temps thérapeutique"},
            {"04", "Maladie professionnelle"}, {"05", "Hospitalisation"}, {"06", "Maternité"},
            {"07", "Mariage"}, {"08", "Naissance"}, {"09", "Décès"}, {"10", "Enfant malade"},
            {"11", "Evènement familial"}, {"13", "Temps partiel"}});
    Secteur("001", "NORD");
    Write("SOUSSECTEUR", "S1", {{1, {"CENTRE"}}});
    Write("QUARTIER", "Q1", {{1, {"GARE"}}});
    Write("ASSOCIATION", "001", {{1, {"AIDE A DOMICILE"}}});
    Write("GRILLESCC", "G1", {{7, {"EMPLOYE B"}}});
    // Address parts 12, RUE, DES LILAS and a blank street name; no telephone 1.
    Write("CIVILAIDANT", "00012",
          {{2, {"DUPONT"}}, {3, {"MARIE"}}, {5, {"12"}}, {6, {"RUE"}}, {7, {"DES LILAS"}}, {8, {"  "}},
           {9, {"BAT B"}}, {10, {"42000"}}, {11, {"SAINT-ÉTIENNE"}}, {12, {""}}, {14, {"0611223344"}},
           {17, {"2"}}, {26, {"4521"}}, {31, {"001"}}, {32, {"S1"}}, {33, {"Q1"}}});
    // Blank surname, no address, male, a sector without a label.
    Write("CIVILAIDANT", "00013", {{2, {" "}}, {3, {"PAUL"}}, {17, {"1"}}, {31, {"009"}}});
    // A carer of a sector the user may not see.
    Secteur("002", "SUD");
    Write("CIVILAIDANT", "00014", {{2, {"CACHE"}}, {3, {"LUC"}}, {11, {"FEURS"}}, {31, {"002"}}});

    services::OutilsDate::Install(services::MakeBatchOutilsDate(0, 1));
    control_ = std::make_unique<control::Ctr_Morvane>();
    auto environment = std::make_unique<services::Environment>();
    auto ui = std::make_unique<services::RecordingUiServices>(QDate(2024, 3, 15));
    ui_ = ui.get();
    environment->ui = std::move(ui);
    control_->SetEnvironment(std::move(environment));
    control_->setClosesHostWindow(false);
    control_->setTheDatabase(&db());
    control_->setDroitsUtilisateur(services::MakeDroits("test", 2, {"001", "009"}));
    control_->INIT();
    Periode("01/03/2024", "31/03/2024");
  }
  void TearDown() override { control_.reset(); }

  using Access = control::CtrMorvaneTestAccess;

  void Periode(const char* debut, const char* fin) {
    auto& form = Access::Form(*control_);
    const QSignalBlocker a(form.Txt_Debut), b(form.Txt_Fin);
    form.Txt_Debut->setText(QString::fromUtf8(debut));
    form.Txt_Fin->setText(QString::fromUtf8(fin));
  }

  /// One result row: absence key, half-day codes, last day, observation,
  /// contract key, activity percentage x 100 (columns 1 to 7).
  struct Ligne {
    std::string cle{}, debut = "1", fin{}, finDemi = "2", observation{}, contrat{}, activite{};
  };

  /// Runs Fichier_Stat on these rows in the long ("Prestataire") or short
  /// format and returns the name of the file written (from its message).
  std::string Exporter(const std::vector<Ligne>& lignes, bool formatLong = false) {
    auto& form = Access::Form(*control_);
    {
      const QSignalBlocker bloque(form.Cac_Prest);
      form.Cac_Prest->setCheckState(formatLong ? Qt::Checked : Qt::Unchecked);
    }
    mvdb::DynArray rows;
    for (std::size_t i = 0; i < lignes.size(); ++i) {
      const int r = static_cast<int>(i) + 1;
      const Ligne& l = lignes[i];
      const std::string colonnes[] = {l.cle, l.debut, l.fin, l.finDemi, l.observation, l.contrat, l.activite};
      for (int c = 0; c < 7; ++c) rows.SetItem(r, c + 1, colonnes[c]);
    }
    Access::State(*control_).ResultatSelection = rows;
    const std::size_t avant = ui_->Messages().size();
    Access::Fichier_Stat(*control_);
    if (ui_->Messages().size() != avant + 1) return {};
    const std::string message = ui_->Messages().back().first.toStdString();
    const auto debut = message.find("AbsAidant-");
    return message.substr(debut, message.find(".csv") + 4 - debut);
  }

  std::filesystem::path Chemin(const std::string& nom) {
    return std::filesystem::path(db().Path().string() + ".d") / "STATAIDANT" / nom;
  }
  /// The bytes of an exported file.
  std::string Octets(const std::string& nom) {
    std::ifstream in(Chemin(nom), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  /// The lines of an exported file (byte-order mark and CR LF removed).
  std::vector<std::string> Lignes(const std::string& nom) {
    std::string texte = Octets(nom);
    if (texte.rfind("\xEF\xBB\xBF", 0) == 0) texte.erase(0, 3);
    std::vector<std::string> lignes;
    for (std::size_t debut = 0; debut < texte.size();) {
      const auto fin = texte.find("\r\n", debut);
      lignes.push_back(texte.substr(debut, fin - debut));
      if (fin == std::string::npos) break;
      debut = fin + 2;
    }
    return lignes;
  }
  /// Stores an (empty) export file of that name, as an earlier export would.
  void Existant(const std::string& nom) {
    mvdb::DynArray fichier = db().DBOpen("STATAIDANT").DBNew(nom);
    fichier.SetItem(1, "ancien");
    fichier.DBWrite();
  }

  control::Ctr_Morvane& control() { return *control_; }
  services::RecordingUiServices& ui() { return *ui_; }

 private:
  std::unique_ptr<control::Ctr_Morvane> control_;
  services::RecordingUiServices* ui_ = nullptr;
};

/// Number of ';'-separated fields of a line.
inline int Champs(const std::string& ligne) {
  return static_cast<int>(std::count(ligne.begin(), ligne.end(), ';')) + 1;
}

}  // namespace morvane::testing
