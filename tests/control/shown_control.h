// A control as a host makes it: in a shown, active window, with a recording
// UI, handed a client, the database and the user's rights.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDate>
#include <QTest>
#include <QWidget>
#include <memory>
#include <utility>

#include "control/ctr_morvane.h"
#include "mvdb/database.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/recording_ui.h"

namespace morvane::testing {

/// Owns the host window and the control on it; fixtures derive from it.
class ShownControl {
 protected:
  /// What the host hands in; a null database or rights is not handed in.
  struct Remise {
    mvdb::Database* database = nullptr;
    std::shared_ptr<services::Droits> droits;
    /// Outside components; a recording UI for `today` is added to it.
    std::unique_ptr<services::Environment> environment = std::make_unique<services::Environment>();
    QDate today{2024, 3, 15};
    bool closesHostWindow = true;
    int printer = 0;  ///< the date service's printer index and copies
    int copies = 1;
  };

  /// Installs the batch date service, destroys any earlier control, creates
  /// the control in a new host window, hands in the client and what `remise`
  /// holds, and shows the window active. INIT is not called.
  void CreerControle(Remise remise) {
    control_.reset();
    window_.reset();
    services::OutilsDate::Install(services::MakeBatchOutilsDate(remise.printer, remise.copies));
    window_ = std::make_unique<QWidget>();
    control_ = std::make_unique<control::Ctr_Morvane>(window_.get());
    control_->setClosesHostWindow(remise.closesHostWindow);
    auto recorder = std::make_unique<services::RecordingUiServices>(remise.today);
    ui_ = recorder.get();
    remise.environment->ui = std::move(recorder);
    control_->SetEnvironment(std::move(remise.environment));
    control_->setTheClient(&client_);
    if (remise.database) control_->setTheDatabase(remise.database);
    if (remise.droits) control_->setDroitsUtilisateur(std::move(remise.droits));
    window_->resize(control_->size());
    window_->show();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  /// Destroys the control, then its window (as the host window's closing does).
  void DetruireControle() {
    control_.reset();
    window_.reset();
  }

  std::unique_ptr<QWidget> window_;
  std::unique_ptr<control::Ctr_Morvane> control_;
  services::RecordingUiServices* ui_ = nullptr;
  mvdb::Client client_{"test", "control.mvdb"};
};

}  // namespace morvane::testing
