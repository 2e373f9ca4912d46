// The batch mode: the same form, the same procedures, driven through its
// widgets as a user would drive them (clicks, typed keys, leaving a field),
// with messages on standard error and the printer and copies given in advance.
#include "host/batch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "control/ctr_morvane.h"
#include "host/batch_options.h"
#include "host/command_line.h"
#include "host/demo_database.h"
#include "host/host_options.h"
#include "host/output_audit.h"
#include "host/sign_in.h"
#include "mvdb/errors.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/output_file.h"
#include "services/planning_control.h"

namespace morvane::host {

namespace {

enum ExitStatus { kDone = 0, kRefused = 1, kUsage = 2, kNoRight = 3, kFailure = 4, kSignInRefused = 5 };

/// Ends the batch with that status; the message goes to standard error (an
/// empty one when the form's own message already said it).
struct BatchStop : std::runtime_error {
  BatchStop(ExitStatus s, const std::string& message) : std::runtime_error(message), status(s) {}
  ExitStatus status;
};

/// Acts on the form's controls as a user does: only on controls the form
/// shows and enables; every step stops the batch when the form answered with
/// a message (a refused code, a date that is no date).
class FormDriver {
 public:
  FormDriver(QWidget& control, services::BatchUiServices& ui) : control_(control), ui_(ui) {}

  // `option` names the option the action comes from, for the messages.
  void Click(const char* name, const char* option) {
    auto* button = Available<QAbstractButton>(name, option);
    button->click();
    CheckNoMessage(option);
  }
  /// Clicks a check box until it holds `ticked`.
  void Tick(const char* name, bool ticked, const char* option) {
    if (Find<QCheckBox>(name)->isChecked() != ticked) Click(name, option);
  }
  /// Empties the field as a user deleting its text, types `text` key by key,
  /// then leaves the field. `words` is the field's label on the form.
  void Type(const char* name, const std::string& text, const char* option, const char* words) {
    auto* field = Available<QLineEdit>(name, option, words);
    // The field would silently drop the keys past its length, and the batch
    // would go on with a criterion other than the one given.
    const QString typed = QString::fromStdString(text);
    if (typed.size() > field->maxLength()) {
      throw BatchStop(kUsage, std::string(option) + " takes at most " + std::to_string(field->maxLength()) +
                                  " characters, not " + host::Shown(text));
    }
    if (!field->text().isEmpty()) field->clear();
    for (const QChar ch : typed) {
      QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QCoreApplication::sendEvent(field, &press);
      QKeyEvent release(QEvent::KeyRelease, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QCoreApplication::sendEvent(field, &release);
    }
    CheckNoMessage(option);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &leave);
    CheckNoMessage(option);
  }
  /// Picks the entry of a list whose item data is `data`.
  void Pick(const char* name, int data, const std::string& what, const char* option, const char* words) {
    auto* list = Available<QComboBox>(name, option, words);
    const int index = list->findData(data);
    if (index < 0) {
      std::string offered;
      for (int i = 0; i < list->count(); ++i) {
        offered += "\n  " + list->itemData(i).toString().rightJustified(2, QLatin1Char('0')).toStdString() + " " +
                   list->itemText(i).toStdString();
      }
      throw BatchStop(kUsage, what + " is not offered; the form offers:" + offered);
    }
    list->setCurrentIndex(index);
    emit list->activated(index);
    CheckNoMessage(option);
  }
  bool Shown(const char* name) { return Find<QWidget>(name)->isVisibleTo(&control_); }

  /// Stops the batch when the form showed a message since the last check: a
  /// refusal of what `what` names (status 1), or a failure the form reported
  /// (a database that cannot be read, status 4: its message says why).
  void CheckNoMessage(const char* what) {
    const auto& messages = ui_.Messages();
    if (messages.size() == seen_) return;
    const bool failed = std::any_of(messages.begin() + static_cast<std::ptrdiff_t>(seen_), messages.end(),
                                    [](const auto& message) { return message.second == services::MsgIcon::Critical; });
    seen_ = messages.size();
    if (failed) throw BatchStop(kFailure, "");
    throw BatchStop(kRefused, std::string("the form refused ") + what + " (its message is above)");
  }

 private:
  template <class W>
  W* Find(const char* name) {
    auto* widget = control_.findChild<W*>(QString::fromLatin1(name));
    if (widget == nullptr) throw BatchStop(kFailure, std::string("the form has no control ") + name);
    return widget;
  }
  /// The control when the form offers it; else stops naming the option and
  /// the control's words on the form (a button's own text when `words` is null).
  template <class W>
  W* Available(const char* name, const char* option, const char* words = nullptr) {
    W* widget = Find<W>(name);
    if (!widget->isVisibleTo(&control_) || !widget->isEnabled()) {
      std::string label = words != nullptr ? words : "";
      if (auto* button = qobject_cast<QAbstractButton*>(widget); words == nullptr && button != nullptr) {
        label = button->text().remove(QLatin1Char('&')).toStdString();
      }
      throw BatchStop(kUsage, std::string(option) + ": the form does not offer \"" + label +
                                  "\" with these criteria (" +
                                  (widget->isVisibleTo(&control_) ? "it is greyed out" : "it is hidden") + ")");
    }
    return widget;
  }
  QWidget& control_;
  services::BatchUiServices& ui_;
  std::size_t seen_ = 0;
};

void FillForm(FormDriver& form, const BatchOptions& o) {
  if (!o.entity.empty()) form.Type("Txt_Entite", o.entity, "--entity", "Entité juridique");
  if (o.provider) form.Tick("Cac_Prest", *o.provider, "--provider");
  if (o.agent) form.Tick("Cac_Mandat", *o.agent, "--agent");

  if (o.sickLeave) form.Click("Cac_ArretTravail", "--sick-leave");
  if (o.leave) form.Click("Cac_Conges", "--leave");
  if (o.other) form.Click("Cac_EvtFam", "--other");
  if (o.toValidate) form.Click("Cac_AValider", "--to-validate");
  if (!o.reason.empty()) {
    bool number = false;
    const int code = QString::fromStdString(o.reason).toInt(&number);
    if (!number) throw BatchStop(kUsage, "--reason needs a reason code, e.g. 03");
    form.Pick("Cbo_Motif", code, "--reason " + o.reason, "--reason", "Motif");
  }

  switch (o.carers) {
    case BatchOptions::Carers::Sector:
      form.Click("Opt_Secteur", "--sector");
      if (!o.carerCode.empty()) form.Type("Txt_Secteur", o.carerCode, "--sector", "Secteur");
      break;
    case BatchOptions::Carers::Commune:
      form.Click("Opt_Com", "--commune");
      if (!o.carerCode.empty()) form.Type("Txt_Secteur", o.carerCode, "--commune", "Commune");
      break;
    case BatchOptions::Carers::All:
      form.Click("Opt_Tot", "--all");
      break;
  }

  if (!o.from.empty()) form.Type("Txt_Debut", o.from, "--from", "Début");
  if (!o.to.empty()) form.Type("Txt_Fin", o.to, "--to", "Fin");
  switch (o.count) {
    case BatchOptions::Count::Within: form.Click("Opt_PeriodeRef", "--count within"); break;
    case BatchOptions::Count::Starting: form.Click("Opt_DebutPeriodeRef", "--count starting"); break;
    case BatchOptions::Count::Ending: form.Click("Opt_FinPeriodeRef", "--count ending"); break;
  }
  if (o.noReturnDate) form.Tick("Cac_PasDateRep", true, "--no-return-date");
  switch (o.sort) {
    case BatchOptions::Sort::Name: form.Click("Opt_Alpha", "--sort name"); break;
    case BatchOptions::Sort::Start: form.Click("Opt_DebutAbs", "--sort start"); break;
    case BatchOptions::Sort::End: form.Click("Opt_FinAbs", "--sort end"); break;
  }
  switch (o.output) {
    case BatchOptions::Output::List: form.Click("Opt_Liste", "--output list"); break;
    case BatchOptions::Output::Planning: form.Click("Opt_Graphique", "--output planning"); break;
    case BatchOptions::Output::Export: form.Click("Option1", "--output export"); break;
    case BatchOptions::Output::LetterType:
      form.Click("Opt_LettreInfo", "--output letter-type");
      form.Click("Opt_LettreType", "--output letter-type");
      break;
    case BatchOptions::Output::LetterMerge:
      form.Click("Opt_LettreInfo", "--output letter-merge");
      form.Click("Opt_LettrePubli", "--output letter-merge");
      break;
  }
}

// The batch's outside components: the desktop ones with messages on standard
// error, and the PDF printers writing where --output-file says.
std::unique_ptr<services::Environment> BatchEnvironment(const BatchOptions& o, services::BatchUiServices*& ui) {
  auto env = services::MakeDesktopEnvironment(nullptr, o.outputDir);
  auto batchUi = std::make_unique<services::BatchUiServices>();
  ui = batchUi.get();
  env->ui = std::move(batchUi);
  if (!o.outputFile.empty()) {
    env->planning.reset();  // it prints on the list replaced below
    env->printers = services::PrinterList::FromPlatform(o.outputFile);
    env->planning = std::make_unique<services::PlanningPrintControl>(*env->printers);
  }
  return env;
}

/// Refuses, before anything is written, an output file that is the database,
/// one of its companions, inside its folder or inside `directoryRoot` (known
/// once the database is open): the printer's file for the printed outputs,
/// the output folder for the merged letters.
void RefuseOutputsInsideDatabase(const BatchOptions& o, const services::PrinterInfo& printer,
                                 const std::filesystem::path& directoryRoot = {}) {
  std::filesystem::path target;
  if (o.output == BatchOptions::Output::LetterMerge) {
    target = o.outputDir;
  } else if (o.output != BatchOptions::Output::Export && printer.kind == services::PrinterInfo::Kind::Pdf) {
    target = printer.outputFile;
  }
  if (!target.empty() && services::InsideDatabase(target, o.database, directoryRoot)) {
    throw BatchStop(kUsage, target.string() + " belongs to the database " + o.database.string() +
                                ": an output may not write there");
  }
}

/// Whether `path` is the file standard output writes to (--output-file
/// /dev/stdout): announcing it there would go into the output itself.
bool IsStandardOutput(const QString& path) {
  struct stat file {}, out {};
  return ::stat(path.toLocal8Bit().constData(), &file) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 &&
         file.st_dev == out.st_dev && file.st_ino == out.st_ino;
}

int Run(const BatchOptions& given) {
  HostOptions paths;
  paths.database = given.database;
  paths.outputDir = given.outputDir;
  paths.user = given.user;
  paths.printer = given.printer;
  paths = WithDefaults(paths);
  BatchOptions o = given;
  o.database = paths.database;
  o.outputDir = paths.outputDir;
  o.printer = paths.printer;

  services::BatchUiServices* ui = nullptr;
  auto environment = BatchEnvironment(o, ui);
  if (o.listPrinters) {
    for (int i = 0; i < environment->printers->Count(); ++i) {
      std::cout << environment->printers->At(i).name.toStdString() << "\n";
    }
    return kDone;
  }
  const int printer = environment->printers->IndexOf(QString::fromStdString(o.printer));
  if (printer < 0) throw BatchStop(kUsage, "no printer named \"" + o.printer + "\" (see --list-printers)");
  RefuseOutputsInsideDatabase(o, environment->printers->At(printer));
  services::OutilsDate::Install(services::MakeBatchOutilsDate(printer, o.copies));

  std::unique_ptr<mvdb::Database> database;
  std::shared_ptr<services::Droits> droits;
  try {
    // Only the export writes to the database (its file in STATAIDANT): the
    // other outputs work on a database they cannot write.
    const auto mode = o.output == BatchOptions::Output::Export ? mvdb::OpenMode::kReadWrite : mvdb::OpenMode::kReadOnly;
    SignedIn signedIn = SignIn(o.database, paths.defaultDemo, mode, given.user);  // never prompts
    database = std::move(signedIn.database);
    o.user = signedIn.user;
    droits = services::LoadDroits(*database, QString::fromStdString(o.user));
  } catch (const UserFromServer& e) {
    throw BatchStop(kUsage, e.what());
  } catch (const SignInRefused& e) {
    throw BatchStop(kSignInRefused, e.what());
  } catch (const mvdb::DbError& e) {
    if (e.IsNotFound()) throw BatchStop(kNoRight, "user " + o.user + " is not in DROITS");
    throw;
  }
  RefuseOutputsInsideDatabase(o, environment->printers->At(printer), database->DirectoryRoot());
  std::error_code ignored;
  std::filesystem::create_directories(o.outputDir, ignored);
  mvdb::Client client(o.user, o.database);

  // The host form: a window the control lives in, shown on the platform the
  // batch runs on (offscreen unless QT_QPA_PLATFORM says otherwise).
  QWidget hostForm;
  auto* control = new control::Ctr_Morvane(&hostForm);
  control->setClosesHostWindow(false);
  bool unloaded = false;
  QObject::connect(control, &control::Ctr_Morvane::unloadRequested, [&unloaded] { unloaded = true; });
  QStringList written;
  QObject::connect(control, &control::Ctr_Morvane::fileWritten, [&written](const QString& path) { written << path; });
  control->SetEnvironment(std::move(environment));
  control->setTheClient(&client);
  control->setTheDatabase(database.get());
  control->setDroitsUtilisateur(droits);
  const OutputAudit& audit = *new OutputAudit(*control, *database);  // owned by the control
  hostForm.resize(control->size());
  hostForm.show();
  control->INIT();

  FormDriver form(*control, *ui);
  form.CheckNoMessage("to start");
  if (!form.Shown("Cmd_Imprimer")) {
    throw BatchStop(kNoRight, "user " + o.user + " may not print absences: the form offers no \"Imprimer\"");
  }
  FillForm(form, o);
  control->findChild<QPushButton*>(QStringLiteral("Cmd_Imprimer"))->click();
  ui->EndProgress();
  if (!unloaded) {
    form.CheckNoMessage("the request");  // a failure is status 4, a refusal 1
    return kRefused;
  }
  for (const QString& path : written) {
    if (!IsStandardOutput(path)) std::cout << QFileInfo(path).absoluteFilePath().toStdString() << "\n";
  }
  const bool letters = o.output == BatchOptions::Output::LetterType || o.output == BatchOptions::Output::LetterMerge;
  if (letters && written.isEmpty()) {
    std::cout << "no letter to make: no contract of the selected absences gets a letter\n";
  }
  if (!audit.Failure().empty()) throw BatchStop(kFailure, "the output was made but not recorded: " + audit.Failure());
  return kDone;
}

}  // namespace

int RunBatch(int argc, char** argv) {
  std::string error;
  const std::vector<std::string> args(argv + 2, argv + argc);
  const auto options = ParseBatchOptions(args, error);
  if (!options) {
    std::cerr << "morvane report: " << error << "\n";
    return kUsage;
  }
  if (options->help) {
    std::cout << BatchUsage();
    return kDone;
  }
  try {
    return Run(*options);
  } catch (const BatchStop& stop) {
    if (*stop.what() != '\0') std::cerr << "morvane report: " << stop.what() << "\n";
    return stop.status;
  } catch (const std::exception& e) {
    std::cerr << "morvane report: " << e.what() << "\n";
    return kFailure;
  }
}

}  // namespace morvane::host
