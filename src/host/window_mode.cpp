#include "host/window_mode.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <memory>

#include "control/a_la_sortie.h"
#include "control/ctr_morvane.h"
#include "host/demo_database.h"
#include "host/output_audit.h"
#include "host/sign_in.h"
#include "host/sign_in_dialog.h"
#include "mvdb/errors.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/output_file.h"
#include "services/ui_services.h"

namespace morvane::host {
namespace {

constexpr int kWrongOutput = 2;   // an output path the host may not write
constexpr int kWrongUser = 2;     // --user on a server database, whose login signs in
constexpr int kOutputFailed = 4;  // an output that could not be written completely
constexpr int kSignInRefused = 5; // the server refused the sign-in

void ReportFailure(const QString& what) {
  std::cerr << "morvane: " << what.toStdString() << "\n";
  if (!QApplication::platformName().startsWith(QLatin1String("offscreen"))) {
    services::MakeMessageBox(what, services::MsgIcon::Critical, nullptr)->exec();
  }
}

}  // namespace

int RunWindow(const HostOptions& given) {
  const HostOptions options = WithDefaults(given);
  const bool isDemo = options.defaultDemo;
  if (!options.screenshot.empty() && services::InsideDatabase(options.screenshot, options.database)) {
    ReportFailure(QStringLiteral("Le fichier %1 appartient à la base de données %2 : la copie d'écran ne peut pas "
                                 "l'écrire.")
                      .arg(QString::fromStdString(options.screenshot.string()),
                           QString::fromStdString(options.database.string())));
    return kWrongOutput;
  }

  // The host owns the three objects it hands to the control; the database
  // outlives the window (declared first, destroyed last).
  std::unique_ptr<mvdb::Database> database;
  std::shared_ptr<services::Droits> droits;
  std::string user = options.user;
  try {
    SignedIn signedIn = SignIn(options.database, isDemo, mvdb::OpenMode::kReadWrite, options.user,
                               DialogPrompt(QString::fromStdString(options.database.string())));
    database = std::move(signedIn.database);
    user = signedIn.user;
    droits = services::LoadDroits(*database, QString::fromStdString(user));
  } catch (const UserFromServer& e) {
    ReportFailure(QString::fromUtf8(e.what()));
    return kWrongUser;
  } catch (const SignInRefused& e) {
    ReportFailure(QString::fromUtf8(e.what()));
    return kSignInRefused;
  } catch (const mvdb::DbError& e) {
    const QString reason = e.IsNotFound()
                               ? QStringLiteral("L'utilisateur %1 n'existe pas dans DROITS.").arg(QString::fromStdString(user))
                               : QString::fromUtf8(e.what());
    ReportFailure(reason);
    return 1;
  }
  mvdb::Client client(user, options.database);

  std::error_code ignored;
  std::filesystem::create_directories(options.outputDir, ignored);

  auto window = std::make_unique<QMainWindow>();
  window->setWindowTitle(QStringLiteral("Absences des aidants"));
  auto* control = new control::Ctr_Morvane(window.get());  // owned by the window
  window->setCentralWidget(control);
  window->setFixedSize(control->size());
  auto environment = services::MakeDesktopEnvironment(control, options.outputDir);
  // The printer choice proposes a PDF file named after the output the form prints.
  const auto output = [control] {
    switch (control->SortieChoisie()) {
      case control::Sortie::Planning: return QStringLiteral("planning");
      case control::Sortie::Lettres: return QStringLiteral("lettres");
      default: return QStringLiteral("liste");
    }
  };
  services::OutilsDate::Install(
      services::MakeOutilsDate(*environment->printers, QString::fromStdString(options.printer), output));
  // On every way out the window goes first (its end destroys the control,
  // which closes the database files); the date service's printer dialog
  // listed the control's printers, which are gone with it: a service that
  // refers to nothing is left.
  control::ALaSortie unload([&window] {
    window.reset();
    services::OutilsDate::Install(services::MakeBatchOutilsDate(-1, 1));
  });
  control->SetEnvironment(std::move(environment));

  control->setTheClient(&client);
  control->setTheDatabase(database.get());
  control->setDroitsUtilisateur(droits);
  auto* audit = new OutputAudit(*control, *database);  // owned by the control
  QObject::connect(audit, &OutputAudit::recordFailed, [](const QString& reason) {
    ReportFailure(QStringLiteral("La sortie a été faite mais n'a pas été enregistrée dans le journal : %1").arg(reason));
  });
  window->show();
  try {
    control->INIT();
  } catch (const std::exception& e) {
    ReportFailure(QString::fromUtf8(e.what()));
    return 1;
  }

  int screenshotStatus = 0;
  if (!options.screenshot.empty()) {
    // Lets the window settle, then saves the form, whole or not at all, and closes.
    QTimer::singleShot(300, control, [control, &options, &screenshotStatus] {
      try {
        services::OutputFile picture(options.screenshot);
        if (!control->grab().save(&picture.Device(), "PNG")) {
          throw services::OutputError("Le fichier " + options.screenshot.string() +
                                      " n'a pas pu être écrit : image refusée");
        }
        picture.Commit();
      } catch (const services::OutputError& e) {
        ReportFailure(QString::fromUtf8(e.what()));
        screenshotStatus = kOutputFailed;
      }
      control->window()->close();
    });
  }
  return std::max(QApplication::exec(), screenshotStatus);
}

}  // namespace morvane::host
