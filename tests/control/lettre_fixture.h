// A control on a small hand-made database of carers, contracts and absences,
// printing letters on a recording printer, with recording signature and
// editor controls.
#pragma once

#include <gtest/gtest.h>

#include <QDate>
#include <QImage>
#include <QLineEdit>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "ctr_morvane_test_access.h"
#include "lookup_fixture.h"
#include "services/outils_date.h"
#include "services/recording_printer.h"

namespace morvane::testing {

/// Ctr_Dorsany that answers a path per entity and records its calls.
class SignatureEnregistree : public services::SignatureControl {
 public:
  void SetBase(mvdb::Database* db) override {
    appels.push_back("Base");
    base = db;
  }
  void SetClient(const mvdb::Client*) override { appels.push_back("Client"); }
  QString CheminSignature(const QString& type, const QString& unused, const QString& entite) override {
    appels.push_back("CheminSignature(" + type.toStdString() + "," + unused.toStdString() + "," +
                     entite.toStdString() + ")");
    auto it = chemins.find(entite);
    return it == chemins.end() ? QString() : it->second;
  }
  std::map<QString, QString> chemins;  ///< entity -> picture path
  std::vector<std::string> appels;
  mvdb::Database* base = nullptr;
};

/// Ctr_Brinel that records what it is handed, in order.
class EditeurEnregistre : public services::EditorControl {
 public:
  void SetBase(mvdb::Database* db) override { appels.push_back(db ? "Base" : "Base(null)"); }
  void SetClient(const mvdb::Client*) override { appels.push_back("Client"); }
  void SetDroits(std::shared_ptr<const services::Droits> d) override { appels.push_back(d ? "Droits" : "Droits(null)"); }
  void SetCleModele(const QString& key) override { appels.push_back("CleModele=" + key.toStdString()); }
  void SetParametre(const QString& value) override { appels.push_back("Parametre=" + value.toStdString()); }
  void SetListeCles(QString& keys) override { appels.push_back("ListeCles=" + keys.toStdString()); }
  void SetRetour(QString& retour) override { appels.push_back("Retour=" + retour.toStdString()); }
  void Executer() override { appels.push_back("Executer"); }
  std::vector<std::string> appels;
};

class LettreTest : public ::testing::Test, public TestDatabase {
 protected:
  static constexpr double kLigne = 24 * 11;  // recording printer: line height at 11 pt
  static constexpr double kUnCm = 567;

  void SetUp() override {
    Write("TABLES", "NATUREVOIE", {{2, {"RUE", "AV"}}, {3, {"Rue", "Avenue"}}});
    Write("TABLES", "TITRES", {{2, {"1", "2"}}, {3, {"Monsieur", "Madame"}}});
    Write("ASSOCIATION", "010", {{1, {"ADOM LOIRE"}}, {3, {"12"}}, {5, {"AV"}}, {6, {"DE LA LIBÉRATION"}},
                                 {8, {"42000"}}, {9, {"SAINT-ÉTIENNE"}}, {12, {"04 77 00 00 00"}},
                                 {35, {"contact@adom.fr"}}});
    Write("ASSOCIATION", "020", {{1, {"AIDE FOREZ"}}, {3, {"1"}}, {5, {"RUE"}}, {6, {"NEUVE"}}, {8, {"42600"}},
                                 {9, {"MONTBRISON"}}, {10, {"1"}}, {11, {"2"}}, {12, {"04 77 11 11 11"}}});
    Write("ETABLISSEMENT", "01", {{24, {"05"}}});
    Write("CONVENTIONCOL", "01", {{2, {"1"}}, {12, {"0"}}, {13, {"0"}}, {28, {"0"}}, {42, {"1"}}, {76, {"0"}}});
    Write("CONVENTIONCOL", "02", {{28, {"1"}}});
    Write("CIVILAIDANT", "00001", {{1, {"2"}}, {2, {"MARTIN"}}, {3, {"Claire"}}, {5, {"3"}}, {7, {"RUE"}},
                                   {8, {"HAUTE"}}, {10, {"42300"}}, {11, {"ROANNE"}}, {31, {"001"}}});
    Write("CIVILAIDANT", "00002", {{1, {"9"}}, {2, {"DURAND"}}, {3, {"Paul"}}, {9, {"LE BOURG"}},
                                   {10, {"42600"}}, {11, {"MONTBRISON"}}, {31, {"002"}}});
    Write("CIVILAIDANT", "00003", {{1, {"1"}}, {2, {"PETIT"}}, {3, {"Jean"}}, {31, {"001"}}});
    const std::string debut = std::to_string(services::DayNumber(QDate(2015, 9, 1)));
    const std::string anciennete = std::to_string(services::DayNumber(QDate(2010, 3, 15)));
    Write("CONTRAT", "00001001", {{1, {"01"}}, {2, {"010"}}, {3, {"01"}}, {7, {debut}}, {39, {"2500"}},
                                  {44, {"2083"}}, {63, {"202405"}}, {97, {anciennete}}});
    Write("CONTRAT", "00001002", {{1, {"01"}}, {2, {"020"}}, {3, {"01"}}, {7, {debut}}, {63, {"202404"}}});
    Write("CONTRAT", "00001003", {{1, {"02"}}, {2, {"010"}}, {3, {"01"}}, {7, {debut}}});
    Write("CONTRAT", "00002001", {{1, {"01"}}, {2, {"010"}}, {3, {"01"}}, {7, {debut}}, {63, {"202405"}}});
    Write("CONTRAT", "00003001", {{1, {"01"}}, {2, {"010"}}, {3, {"01"}}, {63, {"ABCDEF"}}});
    Absence(kA1, {"00001001", "00001002"});
    Absence(kA2, {"00001001"});
    Absence(kAgent, {"00001003"});
    Absence(kManquant, {"00009999"});
    Absence(kB1, {"00002001"});
    Absence(kC1, {"00003001"});

    services::OutilsDate::Install(services::MakeBatchOutilsDate(0, 1));
    control_ = std::make_unique<control::Ctr_Morvane>();
    auto environment = std::make_unique<services::Environment>();
    environment->ui = std::make_unique<services::RecordingUiServices>(QDate(2024, 3, 15));
    auto printers = std::make_unique<services::RecordingPrinterList>(std::vector<QString>{QStringLiteral("HP LaserJet")});
    printers_ = printers.get();
    environment->printers = std::move(printers);
    auto signature = std::make_unique<SignatureEnregistree>();
    signature_ = signature.get();
    environment->signature = std::move(signature);
    auto editeur = std::make_unique<EditeurEnregistre>();
    editeur_ = editeur.get();
    environment->editor = std::move(editeur);
    control_->SetEnvironment(std::move(environment));
    control_->setClosesHostWindow(false);
    control_->setTheClient(&client_);
    control_->setTheDatabase(&db());
    control_->setDroitsUtilisateur(services::MakeDroits("test", 2));
    control_->INIT();
    printers_->SetCurrent(0);
  }
  void TearDown() override {
    control_.reset();
    std::error_code ignored;
    std::filesystem::remove(ImageSignature(), ignored);
  }

  // Absence keys: carer (5), reason (2), first day (5).
  static constexpr const char* kA1 = "000011520000";
  static constexpr const char* kA2 = "000011520010";
  static constexpr const char* kAgent = "000011520020";
  static constexpr const char* kManquant = "000011520030";
  static constexpr const char* kB1 = "000021520000";
  static constexpr const char* kC1 = "000031520000";

  void Absence(const std::string& key, const std::vector<std::string>& contrats) {
    Write("ABSENCESAIDANT", key, {{1, {"1"}}, {17, contrats}});
  }

  void Selection(const std::vector<std::string>& cles) {
    mvdb::DynArray rows;
    for (std::size_t i = 0; i < cles.size(); ++i) rows.SetItem(static_cast<int>(i) + 1, 1, cles[i]);
    control::CtrMorvaneTestAccess::State(*control_).ResultatSelection = rows;
  }
  /// One copy of the letter-type letters for these absences.
  void Imprimer(const std::vector<std::string>& cles) {
    Selection(cles);
    control::CtrMorvaneTestAccess::Lettre_Type(*control_);
  }
  /// The mail merge for these absences; returns ClesContrats.
  QString Publier(const std::vector<std::string>& cles) {
    Selection(cles);
    control::CtrMorvaneTestAccess::Lettre_Publi(*control_);
    return control::CtrMorvaneTestAccess::State(*control_).ClesContrats;
  }

  services::RecordingPrinter& Recorder() { return printers_->Recorder(0); }
  /// The first text op of that page equal to `text`, or null.
  const services::PrintOp* Texte(const QString& text, int page = 0) {
    for (const auto& op : Recorder().Ops()) {
      if (op.kind == services::PrintOp::Kind::Text && op.text == text && (page == 0 || op.page == page)) return &op;
    }
    return nullptr;
  }
  std::vector<services::PrintOp> Images() {
    std::vector<services::PrintOp> pictures;
    for (const auto& op : Recorder().Ops()) {
      if (op.kind == services::PrintOp::Kind::Picture) pictures.push_back(op);
    }
    return pictures;
  }

  /// A signature picture file for entity `entite`.
  void Signature(const QString& entite) {
    QImage picture(68, 20, QImage::Format_ARGB32);
    picture.fill(Qt::darkBlue);
    ASSERT_TRUE(picture.save(QString::fromStdString(ImageSignature().string())));
    signature_->chemins[entite] = QString::fromStdString(ImageSignature().string());
  }
  static std::filesystem::path ImageSignature() {
    return std::filesystem::temp_directory_path() / ("morvane-signature-" + std::to_string(::getpid()) + ".png");
  }

  control::Ctr_Morvane& control() { return *control_; }
  SignatureEnregistree& signature() { return *signature_; }
  EditeurEnregistre& editeur() { return *editeur_; }

 private:
  mvdb::Client client_{"test", "letters.mvdb"};
  std::unique_ptr<control::Ctr_Morvane> control_;
  services::RecordingPrinterList* printers_ = nullptr;
  SignatureEnregistree* signature_ = nullptr;
  EditeurEnregistre* editeur_ = nullptr;
};

}  // namespace morvane::testing
