#include "host/window_mode.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMainWindow>
#include <QPushButton>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <memory>

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

// The host's window: one form after another on the same database and rights.
// A form that unloads at the end of a request ("Imprimer") is replaced by a
// fresh one, as reopening it from an office menu would; "Sortir" closes the
// window, which ends the program.
class HostWindow : public QMainWindow {
 public:
  struct Objects {
    mvdb::Client* client;
    mvdb::Database* database;
    std::shared_ptr<services::Droits> droits;
  };

  HostWindow(const HostOptions& options, Objects objects, UrlOpener open)
      : options_(options), objects_(std::move(objects)), open_(std::move(open)) {
    setWindowTitle(QStringLiteral("Absences des aidants"));
  }

  // The form goes first: its end closes the database files.
  ~HostWindow() override { CloseForm(); }

  /// Shows a fresh form and runs its INIT; throws what INIT throws.
  void OpenForm() {
    auto* control = new control::Ctr_Morvane(this);  // owned by the window
    control->setClosesHostWindow(false);
    setCentralWidget(control);
    setFixedSize(control->size());
    auto environment = services::MakeDesktopEnvironment(control, options_.outputDir);
    // The printer choice proposes a PDF file named after the output the form prints.
    const auto output = [control] {
      switch (control->SortieChoisie()) {
        case control::Sortie::Planning: return QStringLiteral("planning");
        case control::Sortie::Lettres: return QStringLiteral("lettres");
        default: return QStringLiteral("liste");
      }
    };
    services::OutilsDate::Install(
        services::MakeOutilsDate(*environment->printers, QString::fromStdString(options_.printer), output));
    control->SetEnvironment(std::move(environment));
    auto* audit = new OutputAudit(*control, *objects_.database);  // owned by the control
    connect(audit, &OutputAudit::recordFailed, this, [](const QString& reason) {
      ReportFailure(QStringLiteral("La sortie a été faite mais n'a pas été enregistrée dans le journal : %1").arg(reason));
    });
    // The control asks to be unloaded after "Sortir" and at the end of a
    // request; the last of the two buttons pressed tells which.
    for (const char* button : {"Cmd_Imprimer", "Cmd_Sortir"}) {
      const bool request = QLatin1String(button) == QLatin1String("Cmd_Imprimer");
      connect(control->findChild<QPushButton*>(QLatin1String(button)), &QPushButton::pressed, this,
              [this, request] { request_ = request; });
    }
    connect(control, &control::Ctr_Morvane::fileWritten, this, [this](const QString& file) { written_ << file; });
    connect(control, &control::Ctr_Morvane::unloadRequested, this, [this] {
      if (!request_) {
        close();
        return;
      }
      // The request is still on the stack: the form is replaced once it has returned.
      QTimer::singleShot(0, this, [this] { NextRequest(); });
    });
    request_ = false;
    written_.clear();

    control->setTheClient(objects_.client);
    control->setTheDatabase(objects_.database);
    control->setDroitsUtilisateur(objects_.droits);
    show();
    control->show();
    control->INIT();
  }

  control::Ctr_Morvane* Form() const { return qobject_cast<control::Ctr_Morvane*>(centralWidget()); }

 private:
  void NextRequest() {
    OfferToOpen(written_, this, open_ ? open_ : UrlOpener(&QDesktopServices::openUrl));
    CloseForm();
    try {
      OpenForm();
    } catch (const std::exception& e) {
      ReportFailure(QString::fromUtf8(e.what()));
      QApplication::exit(1);
    }
  }

  // The date service's printer dialog lists the form's printers, which go
  // with it: a service that refers to nothing takes its place first.
  void CloseForm() {
    services::OutilsDate::Install(services::MakeBatchOutilsDate(-1, 1));
    delete takeCentralWidget();
  }

  const HostOptions& options_;
  Objects objects_;
  UrlOpener open_;
  bool request_ = false;  // of "Imprimer" and "Sortir", "Imprimer" was pressed last
  QStringList written_;   // the files the current form's output wrote
};

}  // namespace

int RunWindow(const HostOptions& given, UrlOpener open) {
  const HostOptions options = WithDefaults(given);
  const bool isDemo = options.defaultDemo;
  // The screenshot may not land on the database: checked before the sign-in,
  // and again once the open database names its directory-file root.
  const auto screenshotOnDatabase = [&options](const std::filesystem::path& directoryRoot) {
    if (options.screenshot.empty() || !services::InsideDatabase(options.screenshot, options.database, directoryRoot))
      return false;
    ReportFailure(QStringLiteral("Le fichier %1 appartient à la base de données %2 : la copie d'écran ne peut pas "
                                 "l'écrire.")
                      .arg(QString::fromStdString(options.screenshot.string()),
                           QString::fromStdString(options.database.string())));
    return true;
  };
  if (screenshotOnDatabase({})) return kWrongOutput;

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
  if (screenshotOnDatabase(database->DirectoryRoot())) return kWrongOutput;
  mvdb::Client client(user, options.database);

  std::error_code ignored;
  std::filesystem::create_directories(options.outputDir, ignored);

  HostWindow window(options, {&client, database.get(), droits}, std::move(open));
  try {
    window.OpenForm();
  } catch (const std::exception& e) {
    ReportFailure(QString::fromUtf8(e.what()));
    return 1;
  }
  control::Ctr_Morvane* control = window.Form();

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
