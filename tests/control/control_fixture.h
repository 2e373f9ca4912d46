// A control on a small hand-made database (test_database.h), shown in an
// active host window, with two sectors, two communes, two entities with
// activities and a reason table.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "control/ctr_morvane.h"
#include "ctr_morvane_test_access.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/recording_ui.h"
#include "test_database.h"

namespace morvane::testing {

class ControlTest : public ::testing::Test, public TestDatabase {
 protected:
  using Access = control::CtrMorvaneTestAccess;

  void SetUp() override {
    Write("SECTEUR", "001", {{1, {"NORD"}}});
    Write("SECTEUR", "002", {{1, {"SUD"}}});
    Write("COMMUNES", "75000", {{1, {"PARIS"}}});
    Write("COMMUNES", "69000", {{1, {"LYON"}}});
    Write("ASSOCIATION", "001", {{1, {"AIDE A DOMICILE"}}});
    Write("ASSOCIATION", "002", {{1, {"SERVICES PLUS"}}});
    Write("ACTIVITES", "00110", {{12, {"P"}}});
    Write("ACTIVITES", "00210", {{12, {"M"}}});
    Write("TABLES", "ABSENCES", {{2, {"01", "02", "03"}}, {3, {"MALADIE", "ACCIDENT", "TEMPS PARTIEL"}}});
  }

  void TearDown() override {
    control_.reset();
    window_.reset();
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
    environment->outputDir = dir();
    control_->SetEnvironment(std::move(environment));
    control_->setTheClient(&client_);
    if (handDatabase) control_->setTheDatabase(&db());
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
  /// Destroys the control (as the host window's closing does).
  void Detruire() { control_.reset(); }

 private:
  mvdb::Client client_{"test", "control.mvdb"};
  std::unique_ptr<QWidget> window_;
  std::unique_ptr<control::Ctr_Morvane> control_;
  services::RecordingUiServices* ui_ = nullptr;
};

}  // namespace morvane::testing
