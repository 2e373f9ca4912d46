#include "host/window_mode.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <iostream>
#include <memory>

#include "control/ctr_morvane.h"
#include "host/demo_database.h"
#include "mvdb/errors.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"

namespace morvane::host {
namespace {

constexpr const char* kTitle = "Message QUENTARIS";

void ReportFailure(const QString& what) {
  std::cerr << "morvane: " << what.toStdString() << "\n";
  if (!QApplication::platformName().startsWith(QLatin1String("offscreen"))) {
    QMessageBox::critical(nullptr, QString::fromLatin1(kTitle), what);
  }
}

}  // namespace

int RunWindow(const HostOptions& given) {
  const HostOptions options = WithDefaults(given);
  const bool isDemo = UsesDemoDatabase(given);

  // The host owns the three objects it hands to the control; the database
  // outlives the window (declared first, destroyed last).
  std::unique_ptr<mvdb::Database> database;
  std::shared_ptr<services::Droits> droits;
  try {
    database = OpenHostDatabase(options.database, isDemo);
    droits = services::LoadDroits(*database, QString::fromStdString(options.user));
  } catch (const mvdb::DbError& e) {
    const QString reason = e.IsNotFound()
                               ? QStringLiteral("L'utilisateur %1 n'existe pas dans DROITS.").arg(QString::fromStdString(options.user))
                               : QString::fromUtf8(e.what());
    ReportFailure(reason);
    return 1;
  }
  mvdb::Client client(options.user, options.database);

  std::error_code ignored;
  std::filesystem::create_directories(options.outputDir, ignored);

  auto window = std::make_unique<QMainWindow>();
  window->setWindowTitle(QStringLiteral("Absences des aidants"));
  auto* control = new control::Ctr_Morvane(window.get());  // owned by the window
  window->setCentralWidget(control);
  window->setFixedSize(control->size());
  auto environment = services::MakeDesktopEnvironment(control, options.outputDir);
  services::OutilsDate::Install(services::MakeOutilsDate(*environment->printers));
  control->SetEnvironment(std::move(environment));

  control->setTheClient(&client);
  control->setTheDatabase(database.get());
  control->setDroitsUtilisateur(droits);
  window->show();
  try {
    control->INIT();
  } catch (const std::exception& e) {
    ReportFailure(QString::fromUtf8(e.what()));
    window.reset();  // destroys the control, which closes the files
    services::OutilsDate::Install(services::MakeBatchOutilsDate(-1, 1));
    return 1;
  }

  if (!options.screenshot.empty()) {
    // Lets the window settle, then saves the form and closes.
    QTimer::singleShot(300, control, [control, &options] {
      const bool saved = control->grab().save(QString::fromStdString(options.screenshot.string()));
      if (!saved) std::cerr << "morvane: cannot write " << options.screenshot.string() << "\n";
      control->window()->close();
    });
  }
  const int status = QApplication::exec();
  window.reset();  // the control's end closes the database files
  // The date service's printer dialog listed the control's printers, which
  // are gone with it: leave a service that refers to nothing.
  services::OutilsDate::Install(services::MakeBatchOutilsDate(-1, 1));
  return status;
}

}  // namespace morvane::host
