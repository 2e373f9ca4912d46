// The batch mode: the same form, the same procedures, driven through its
// widgets as a user would drive them (clicks, typed keys, leaving a field),
// with messages on standard error and the printer and copies given in advance.
#include "host/batch.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <iostream>
#include <memory>
#include <stdexcept>

#include "control/ctr_morvane.h"
#include "host/batch_options.h"
#include "host/demo_database.h"
#include "host/host_options.h"
#include "mvdb/errors.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/planning_control.h"

namespace morvane::host {

namespace {

enum ExitStatus { kDone = 0, kRefused = 1, kUsage = 2, kNoRight = 3, kFailure = 4 };

/// Ends the batch with that status; the message goes to standard error.
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

  void Click(const char* name) {
    auto* button = Available<QAbstractButton>(name);
    button->click();
    CheckNoMessage(name);
  }
  /// Clicks a check box until it holds `ticked`.
  void Tick(const char* name, bool ticked) {
    if (Find<QCheckBox>(name)->isChecked() != ticked) Click(name);
  }
  /// Empties the field as a user deleting its text, types `text` key by key,
  /// then leaves the field. `option` names the option the text came from.
  void Type(const char* name, const std::string& text, const char* option) {
    auto* field = Available<QLineEdit>(name);
    // The field would silently drop the keys past its length, and the batch
    // would go on with a criterion other than the one given.
    const QString typed = QString::fromStdString(text);
    if (typed.size() > field->maxLength()) {
      throw BatchStop(kUsage, std::string(option) + " takes at most " + std::to_string(field->maxLength()) +
                                  " characters (the form's " + name + "): \"" + text + "\" is longer");
    }
    if (!field->text().isEmpty()) field->clear();
    for (const QChar ch : typed) {
      QKeyEvent press(QEvent::KeyPress, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QCoreApplication::sendEvent(field, &press);
      QKeyEvent release(QEvent::KeyRelease, ch.toUpper().unicode(), Qt::NoModifier, QString(ch));
      QCoreApplication::sendEvent(field, &release);
    }
    CheckNoMessage(name);
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &leave);
    CheckNoMessage(name);
  }
  /// Picks the entry of a list whose item data is `data`.
  void Pick(const char* name, int data, const std::string& what) {
    auto* list = Available<QComboBox>(name);
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
    CheckNoMessage(name);
  }
  bool Shown(const char* name) { return Find<QWidget>(name)->isVisibleTo(&control_); }

 private:
  template <class W>
  W* Find(const char* name) {
    auto* widget = control_.findChild<W*>(QString::fromLatin1(name));
    if (widget == nullptr) throw BatchStop(kFailure, std::string("the form has no control ") + name);
    return widget;
  }
  template <class W>
  W* Available(const char* name) {
    W* widget = Find<W>(name);
    if (!widget->isVisibleTo(&control_) || !widget->isEnabled()) {
      throw BatchStop(kUsage, std::string("the form does not offer ") + name + " with these criteria (" +
                                  widget->objectName().toStdString() + " is " +
                                  (widget->isVisibleTo(&control_) ? "disabled" : "hidden") + ")");
    }
    return widget;
  }
  void CheckNoMessage(const char* step) {
    if (ui_.Messages().size() != seen_) {
      seen_ = ui_.Messages().size();
      throw BatchStop(kRefused, std::string("the form refused the criteria at ") + step);
    }
  }

  QWidget& control_;
  services::BatchUiServices& ui_;
  std::size_t seen_ = 0;
};

void FillForm(FormDriver& form, const BatchOptions& o) {
  if (!o.entity.empty()) form.Type("Txt_Entite", o.entity, "--entity");
  if (o.provider) form.Tick("Cac_Prest", *o.provider);
  if (o.agent) form.Tick("Cac_Mandat", *o.agent);

  if (o.sickLeave) form.Click("Cac_ArretTravail");
  if (o.leave) form.Click("Cac_Conges");
  if (o.other) form.Click("Cac_EvtFam");
  if (o.toValidate) form.Click("Cac_AValider");
  if (!o.reason.empty()) {
    bool number = false;
    const int code = QString::fromStdString(o.reason).toInt(&number);
    if (!number) throw BatchStop(kUsage, "--reason needs a reason code, e.g. 03");
    form.Pick("Cbo_Motif", code, "reason " + o.reason);
  }

  switch (o.carers) {
    case BatchOptions::Carers::Sector:
      form.Click("Opt_Secteur");
      if (!o.carerCode.empty()) form.Type("Txt_Secteur", o.carerCode, "--sector");
      break;
    case BatchOptions::Carers::Commune:
      form.Click("Opt_Com");
      if (!o.carerCode.empty()) form.Type("Txt_Secteur", o.carerCode, "--commune");
      break;
    case BatchOptions::Carers::All:
      form.Click("Opt_Tot");
      break;
  }

  if (!o.from.empty()) form.Type("Txt_Debut", o.from, "--from");
  if (!o.to.empty()) form.Type("Txt_Fin", o.to, "--to");
  switch (o.count) {
    case BatchOptions::Count::Within: form.Click("Opt_PeriodeRef"); break;
    case BatchOptions::Count::Starting: form.Click("Opt_DebutPeriodeRef"); break;
    case BatchOptions::Count::Ending: form.Click("Opt_FinPeriodeRef"); break;
  }
  if (o.noReturnDate) form.Tick("Cac_PasDateRep", true);
  switch (o.sort) {
    case BatchOptions::Sort::Name: form.Click("Opt_Alpha"); break;
    case BatchOptions::Sort::Start: form.Click("Opt_DebutAbs"); break;
    case BatchOptions::Sort::End: form.Click("Opt_FinAbs"); break;
  }
  switch (o.output) {
    case BatchOptions::Output::List: form.Click("Opt_Liste"); break;
    case BatchOptions::Output::Planning: form.Click("Opt_Graphique"); break;
    case BatchOptions::Output::Export: form.Click("Option1"); break;
    case BatchOptions::Output::LetterType:
      form.Click("Opt_LettreInfo");
      form.Click("Opt_LettreType");
      break;
    case BatchOptions::Output::LetterMerge:
      form.Click("Opt_LettreInfo");
      form.Click("Opt_LettrePubli");
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

int Run(const BatchOptions& given) {
  HostOptions paths;
  paths.database = given.database;
  paths.outputDir = given.outputDir;
  paths.user = given.user;
  paths = WithDefaults(paths);
  BatchOptions o = given;
  o.database = paths.database;
  o.outputDir = paths.outputDir;
  std::error_code ignored;
  std::filesystem::create_directories(o.outputDir, ignored);

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
  services::OutilsDate::Install(services::MakeBatchOutilsDate(printer, o.copies));

  std::unique_ptr<mvdb::Database> database;
  std::shared_ptr<services::Droits> droits;
  try {
    // Only the export writes to the database (its file in STATAIDANT): the
    // other outputs work on a database they cannot write.
    const auto mode = o.output == BatchOptions::Output::Export ? mvdb::OpenMode::kReadWrite : mvdb::OpenMode::kReadOnly;
    HostOptions asGiven;
    asGiven.database = given.database;
    database = OpenHostDatabase(o.database, UsesDemoDatabase(asGiven), mode);
    droits = services::LoadDroits(*database, QString::fromStdString(o.user));
  } catch (const mvdb::DbError& e) {
    if (e.IsNotFound()) throw BatchStop(kNoRight, "user " + o.user + " is not in DROITS");
    throw;
  }
  mvdb::Client client(o.user, o.database);

  // The host form: a window the control lives in, shown on the platform the
  // batch runs on (offscreen unless QT_QPA_PLATFORM says otherwise).
  QWidget hostForm;
  auto* control = new control::Ctr_Morvane(&hostForm);
  control->setClosesHostWindow(false);
  bool unloaded = false;
  QObject::connect(control, &control::Ctr_Morvane::unloadRequested, [&unloaded] { unloaded = true; });
  control->SetEnvironment(std::move(environment));
  control->setTheClient(&client);
  control->setTheDatabase(database.get());
  control->setDroitsUtilisateur(droits);
  hostForm.resize(control->size());
  hostForm.show();
  control->INIT();

  FormDriver form(*control, *ui);
  if (!form.Shown("Cmd_Imprimer")) {
    throw BatchStop(kNoRight, "user " + o.user + " may not print absences: the form offers no \"Imprimer\"");
  }
  FillForm(form, o);
  control->findChild<QPushButton*>(QStringLiteral("Cmd_Imprimer"))->click();
  if (unloaded) return kDone;
  for (const auto& [text, icon] : ui->Messages()) {
    if (icon == services::MsgIcon::Critical) return kFailure;
  }
  return kRefused;
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
    std::cerr << "morvane report: " << stop.what() << "\n";
    return stop.status;
  } catch (const std::exception& e) {
    std::cerr << "morvane report: " << e.what() << "\n";
    return kFailure;
  }
}

}  // namespace morvane::host
