// A control on a small hand-made database, shown in an active host window:
// the sixteen files INIT opens, the ACTIVITES dictionary, two sectors, two
// communes, one entity with activities, COMPTEUR "999" and a reason table.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "control/ctr_morvane.h"
#include "ctr_morvane_test_access.h"
#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/recording_ui.h"

namespace morvane::testing {

class ControlTest : public ::testing::Test {
 protected:
  using Access = control::CtrMorvaneTestAccess;

  void SetUp() override {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("morvane-control-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    db_ = mvdb::Database::Create(dir_ / "control.mvdb");
    for (const char* file : {"ABSENCESAIDANT", "CIVILAIDANT", "COMMUNES", "SECTEUR", "TABLES", "SOUSSECTEUR",
                             "QUARTIER", "ACTIVITES", "ASSOCIATION", "CONTRAT", "GRILLESCC", "COMPTEUR",
                             "ETABLISSEMENT", "CONVENTIONCOL"}) {
      db_->CreateFile(file);
    }
    db_->CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
    std::ifstream dictionaries(std::string(MORVANE_SOURCE_DIR) + "/data/dictionaries.jsonl");
    std::string line, selected;
    while (std::getline(dictionaries, line)) {
      if (line.find("\"DICT ACTIVITES\"") != std::string::npos) selected += line + "\n";
    }
    std::istringstream in(selected);
    mvdb::jsonl::Import(*db_, in);

    Write("SECTEUR", "001", {{1, {"NORD"}}});
    Write("SECTEUR", "002", {{1, {"SUD"}}});
    Write("COMMUNES", "75000", {{1, {"PARIS"}}});
    Write("COMMUNES", "69000", {{1, {"LYON"}}});
    Write("ASSOCIATION", "001", {{1, {"AIDE A DOMICILE"}}});
    Write("ASSOCIATION", "002", {{1, {"SERVICES PLUS"}}});
    Write("ACTIVITES", "00110", {{12, {"P"}}});
    Write("ACTIVITES", "00210", {{12, {"M"}}});
    Write("COMPTEUR", "999", {{47, {"001"}}});
    Write("TABLES", "ABSENCES", {{2, {"01", "02", "03"}}, {3, {"MALADIE", "ACCIDENT", "TEMPS PARTIEL"}}});
  }

  void TearDown() override {
    control_.reset();
    window_.reset();
    db_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  /// Writes a record: attribute number -> values (several = multi-valued).
  void Write(const std::string& file, const std::string& key,
             std::vector<std::pair<int, std::vector<std::string>>> attrs) {
    mvdb::DynArray record = db_->DBOpen(file).DBNew(key);
    for (const auto& [number, values] : attrs) {
      for (std::size_t v = 0; v < values.size(); ++v) record.SetItem(number, static_cast<int>(v) + 1, values[v]);
    }
    record.DBWrite();
  }

  /// Creates the control in a shown, active host window with a recording UI;
  /// hands in the client, the database and rights of that level (unless told
  /// not to). Does not call INIT.
  void Creer(int level = 2, bool handDatabase = true, bool handRights = true) {
    services::OutilsDate::Install(services::MakeBatchOutilsDate(0, 1));
    window_ = std::make_unique<QWidget>();
    control_ = std::make_unique<control::Ctr_Morvane>(window_.get());
    auto environment = std::make_unique<services::Environment>();
    auto recorder = std::make_unique<services::RecordingUiServices>(QDate(2024, 3, 15));
    ui_ = recorder.get();
    environment->ui = std::move(recorder);
    environment->outputDir = dir_;
    control_->SetEnvironment(std::move(environment));
    control_->setTheClient(&client_);
    if (handDatabase) control_->setTheDatabase(db_.get());
    if (handRights) control_->setDroitsUtilisateur(services::MakeDroits("test", level));
    window_->resize(control_->size());
    window_->show();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }

  /// Creer, then INIT.
  void Demarrer(int level = 2) {
    Creer(level);
    control_->INIT();
  }

  control::Ctr_Morvane& control() { return *control_; }
  control::FormControls& form() { return Access::Form(*control_); }
  control::InstanceState& state() { return Access::State(*control_); }
  services::RecordingUiServices& ui() { return *ui_; }
  QWidget& window() { return *window_; }
  mvdb::Database& db() { return *db_; }
  /// Destroys the control (as the host window's closing does).
  void Detruire() { control_.reset(); }

 private:
  std::filesystem::path dir_;
  std::unique_ptr<mvdb::Database> db_;
  mvdb::Client client_{"test", "control.mvdb"};
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<control::Ctr_Morvane> control_;
  services::RecordingUiServices* ui_ = nullptr;
};

}  // namespace morvane::testing
