// Ctr_Morvane: construction, the host's properties, the environment, and the
// helpers every procedure shares (busy state, messages, the event guard).
#include "control/ctr_morvane.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <stdexcept>
#include <utility>

#include "control/a_la_sortie.h"
#include "control/event_adapter.h"
#include "control/variable.h"
#include "mvdb/errors.h"
#include "services/outils_date.h"
#include "services/printer.h"
#include "ui_ctr_morvane.h"

namespace morvane::control {
namespace {

// A label whose caption is wider than its box is widened to its text rather
// than clipped (the form's font is not quite the one its geometry was made for).
void WidenLabelsToText(QWidget& form) {
  for (QLabel* label : form.findChildren<QLabel*>()) {
    if (label->text().isEmpty()) continue;
    const int needed = label->sizeHint().width();
    if (needed > label->width()) label->resize(needed, label->height());
  }
}

std::filesystem::path DefaultOutputDir() {
  QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) documents = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
  return std::filesystem::path(documents.toStdString()) / "morvane";
}

}  // namespace

Ctr_Morvane::Ctr_Morvane(QWidget* parent) : QWidget(parent), form_(std::make_unique<Ui::CtrMorvaneForm>()) {
  form_->setupUi(this);
  setObjectName(QStringLiteral("Ctr_Morvane"));
  FormControls::Bind(*this);
  WidenLabelsToText(*this);
  // A classic drop-down list does not complete typed text: the look-ups read
  // what the user typed (a typed beginning filters the entity list on Enter).
  // Nor does leaving it choose the item whose text was typed, as Qt's list
  // does when its editing finishes: only a pick chooses.
  for (QComboBox* list : {Cbo_Entite, Cbo_Motif, Cbo_Secteur}) {
    list->setCompleter(nullptr);
    disconnect(list->lineEdit(), &QLineEdit::editingFinished, list, nullptr);
  }
  // Enter on a focused button presses it, as Space does.
  for (QPushButton* button : {Cmd_Imprimer, Cmd_Sortir}) button->setAutoDefault(true);
  setFixedSize(488, 581);
  events_ = std::make_unique<EventAdapter>(
      [this](const char* name, const EventAdapter::Procedure& procedure) { Evenement(name, procedure); });
  Brancher_Evenements();
}

Ctr_Morvane::~Ctr_Morvane() {
  // The form's widgets are destroyed after this body: a focused field then
  // loses its focus, and no procedure may run on a control being destroyed.
  events_.reset();
  // Terminate must not throw out of a destructor; it releases what it can.
  try {
    UserControl_Terminate();
  } catch (...) {
  }
}

void Ctr_Morvane::setTheClient(mvdb::Client* vNewValue) { Variable::TheClient = vNewValue; }

void Ctr_Morvane::setTheDatabase(mvdb::Database* vNewValue) { Variable::TheDatabase = vNewValue; }

void Ctr_Morvane::setDroitsUtilisateur(std::shared_ptr<services::Droits> New_DroitsUtilisateur) {
  if (!New_DroitsUtilisateur) throw std::invalid_argument("DroitsUtilisateur: the rights object is null");
  DroitsUtilisateur = std::move(New_DroitsUtilisateur);
  DroitsAbsences = DroitsUtilisateur->DroitsFichier(QStringLiteral("ABSENCESAIDANT"));
}

void Ctr_Morvane::SetEnvironment(std::unique_ptr<services::Environment> environment) {
  if (environment) environment_ = std::move(environment);
}

// ---- environment ----

services::UiServices& Ctr_Morvane::Ui() {
  if (!environment_) environment_ = services::MakeDesktopEnvironment(this, DefaultOutputDir());
  if (!environment_->ui) environment_->ui = services::MakeQtUiServices(this);
  return *environment_->ui;
}

services::PrinterList& Ctr_Morvane::Printers() {
  Ui();  // makes the desktop environment when none was set
  if (!environment_->printers) environment_->printers = services::PrinterList::FromPlatform(environment_->outputDir / "impression.pdf");
  return *environment_->printers;
}

services::Printer& Ctr_Morvane::Printer() { return apercu_ != nullptr ? *apercu_ : Printers().Current(); }

services::OutilsDate& Ctr_Morvane::Dates() { return services::OutilsDate::Instance(); }

services::PlanningControl& Ctr_Morvane::Planning() {
  Ui();
  if (!environment_->planning) throw std::logic_error("the planning print control (Ctr_Vellaro1) is not available");
  return *environment_->planning;
}

services::SignatureControl& Ctr_Morvane::Signature() {
  Ui();
  if (!environment_->signature) throw std::logic_error("the signature control (Ctr_Dorsany) is not available");
  return *environment_->signature;
}

services::EditorControl& Ctr_Morvane::Editor() {
  Ui();
  if (!environment_->editor) throw std::logic_error("the letter editor control (Ctr_Brinel) is not available");
  return *environment_->editor;
}

// ---- shared helpers ----

Ctr_Morvane::Sablier::Sablier(Ctr_Morvane& control, bool traiterEvenements)
    : control_(control), traiterEvenements_(traiterEvenements), exceptions_(std::uncaught_exceptions()) {
  control_.Sablier_On();
}

// Pending events are processed only on a normal way out: a failure goes to
// the event boundary, which shows it.
Ctr_Morvane::Sablier::~Sablier() {
  control_.Sablier_Off(traiterEvenements_ && std::uncaught_exceptions() == exceptions_);
}

// Disabling the surface takes the keyboard focus away from the field that had
// it; that is no loss of focus for the field's procedures, and the focus goes
// back to the field when the surface is enabled again.
void Ctr_Morvane::Sablier_On() {
  if (busyDepth_++ == 0) {
    Ui().SetBusy(true);
    QWidget* focus = QApplication::focusWidget();
    focusAvantSablier_ = (focus != nullptr && isAncestorOf(focus)) ? focus : nullptr;
    if (events_) events_->SuspendLostFocus(true);
    setEnabled(false);
    if (events_) events_->SuspendLostFocus(false);
  }
}

void Ctr_Morvane::Sablier_Off(bool processEvents) {
  if (busyDepth_ == 0) return;
  if (processEvents) Ui().ProcessEvents();
  if (--busyDepth_ == 0) {
    Ui().SetBusy(false);
    setEnabled(true);
    if (focusAvantSablier_ && focusAvantSablier_->isEnabled() && focusAvantSablier_->isVisible()) {
      focusAvantSablier_->setFocus(Qt::OtherFocusReason);
    }
    focusAvantSablier_ = nullptr;
  }
}

void Ctr_Morvane::Message(const QString& text, services::MsgIcon icon) { Ui().MsgBox(text, icon); }

void Ctr_Morvane::Decharger_Hote() {
  emit unloadRequested();
  QWidget* host = window();
  if (closesHostWindow_ && host != nullptr && host != this) host->close();
}

void Ctr_Morvane::Evenement(const char* name, const std::function<void()>& procedure) {
  ++callDepth_;
  ALaSortie sortir([this] { --callDepth_; });
  // Nothing may leave an event procedure by exception: it would unwind
  // through Qt's signal emission. A nested failure is kept and reported once,
  // when the outermost procedure (an event or INIT) ends.
  try {
    procedure();
  } catch (...) {
    if (!echecEnAttente_) {
      echecEnAttente_ = std::current_exception();
      procedureEnEchec_ = QString::fromLatin1(name);
    }
  }
  if (callDepth_ == 1) Signaler_Echec();
}

void Ctr_Morvane::Signaler_Echec() {
  if (!echecEnAttente_) return;
  const std::exception_ptr failure = std::exchange(echecEnAttente_, nullptr);
  QString reason;
  try {
    std::rethrow_exception(failure);
  } catch (const std::exception& e) {
    reason = QString::fromUtf8(e.what());
  } catch (...) {
    reason = QStringLiteral("unknown failure");
  }
  // The step that failed may have left the hourglass on and the surface off.
  if (busyDepth_ > 0) {
    busyDepth_ = 0;
    Ui().SetBusy(false);
  }
  setEnabled(true);
  Message(QStringLiteral("%1 : %2").arg(procedureEnEchec_, reason), services::MsgIcon::Critical);
}

}  // namespace morvane::control
