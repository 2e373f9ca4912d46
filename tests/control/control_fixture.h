// A control on a small hand-made database (test_database.h), shown in an
// active host window, with two sectors, two communes, two entities with
// activities and a reason table.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "control/ctr_morvane.h"
#include "ctr_morvane_test_access.h"
#include "services/droits.h"
#include "services/recording_ui.h"
#include "shown_control.h"
#include "test_database.h"

namespace morvane::testing {

class ControlTest : public ::testing::Test, public TestDatabase, public ShownControl {
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

  void TearDown() override { DetruireControle(); }

  /// Creates the control in a shown, active host window with a recording UI;
  /// hands in the client, the database and rights of that level (unless told
  /// not to). Does not call INIT.
  void Creer(int level = 2, bool handDatabase = true, bool handRights = true) {
    Remise remise;
    remise.environment->outputDir = dir();
    if (handDatabase) remise.database = &db();
    if (handRights) remise.droits = services::MakeDroits("test", level);
    CreerControle(std::move(remise));
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

};

}  // namespace morvane::testing
