#include "host/output_audit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "control/ctr_morvane.h"
#include "mvdb/database.h"
#include "mvdb/server_accounts.h"
#include "mvdb/storage.h"

namespace morvane::host {

namespace {

bool Checked(const QWidget& control, const char* name) {
  const auto* box = control.findChild<QAbstractButton*>(QString::fromLatin1(name));
  return box != nullptr && box->isEnabled() && box->isChecked();
}

std::string Text(const QWidget& control, const char* name) {
  const auto* field = control.findChild<QLineEdit*>(QString::fromLatin1(name));
  return field != nullptr ? field->text().trimmed().toStdString() : std::string();
}

// The first of the options whose button is checked; "" when none is.
std::string Choice(const QWidget& control, std::initializer_list<std::pair<const char*, const char*>> options) {
  for (const auto& [name, word] : options) {
    if (Checked(control, name)) return word;
  }
  return {};
}

std::string OutputKind(const QWidget& control) {
  if (Checked(control, "Opt_LettreInfo"))
    return Choice(control, {{"Opt_LettreType", "letter-type"}, {"Opt_LettrePubli", "letter-merge"}});
  return Choice(control, {{"Opt_Liste", "list"}, {"Opt_Graphique", "planning"}, {"Option1", "export"}});
}

}  // namespace

std::string FormCriteria(const QWidget& control) {
  std::string out;
  const auto add = [&out](const std::string& words) {
    if (!words.empty()) out += (out.empty() ? "" : " ") + words;
  };
  for (const auto& [name, word] : {std::pair{"Cac_ArretTravail", "--sick-leave"}, {"Cac_Conges", "--leave"},
                                   {"Cac_EvtFam", "--other"}, {"Cac_AValider", "--to-validate"}}) {
    if (Checked(control, name)) add(word);
  }
  if (const auto* reason = control.findChild<QComboBox*>(QStringLiteral("Cbo_Motif"));
      reason != nullptr && reason->isEnabled() && reason->currentIndex() >= 0 && reason->currentData().isValid()) {
    add("--reason " + reason->currentData().toString().rightJustified(2, QLatin1Char('0')).toStdString());
  }
  const std::string carers = Choice(control, {{"Opt_Secteur", "--sector"}, {"Opt_Com", "--commune"}, {"Opt_Tot", "--all"}});
  add(carers);
  if (carers != "--all") add(Text(control, "Txt_Secteur"));
  if (const std::string entity = Text(control, "Txt_Entite"); !entity.empty()) add("--entity " + entity);
  if (const auto* provider = control.findChild<QAbstractButton*>(QStringLiteral("Cac_Prest"));
      provider != nullptr && provider->isEnabled()) {
    add(std::string("--provider ") + (provider->isChecked() ? "yes" : "no"));
    add(std::string("--agent ") + (Checked(control, "Cac_Mandat") ? "yes" : "no"));
  }
  add("--from " + Text(control, "Txt_Debut"));
  add("--to " + Text(control, "Txt_Fin"));
  add(Choice(control, {{"Opt_PeriodeRef", "--count within"},
                       {"Opt_DebutPeriodeRef", "--count starting"},
                       {"Opt_FinPeriodeRef", "--count ending"}}));
  if (Checked(control, "Cac_PasDateRep")) add("--no-return-date");
  add(Choice(control, {{"Opt_Alpha", "--sort name"}, {"Opt_DebutAbs", "--sort start"}, {"Opt_FinAbs", "--sort end"}}));
  return out;
}

OutputAudit::OutputAudit(control::Ctr_Morvane& control, mvdb::Database& database)
    : QObject(&control), control_(control), database_(database) {
  if (database_.storage().Accounts() == nullptr) return;
  connect(&control, &control::Ctr_Morvane::fileWritten, this, [this](const QString& path) { files_ << path; });
  connect(&control, &control::Ctr_Morvane::unloadRequested, this, [this] { unloaded_ = true; });
  // Connected after the control's own handler: runs once the output is done.
  if (auto* print = control.findChild<QAbstractButton*>(QStringLiteral("Cmd_Imprimer"))) {
    connect(print, &QAbstractButton::clicked, this, [this] {
      if (unloaded_) Record();
      files_.clear();
      unloaded_ = false;
    });
  }
}

void OutputAudit::Record() {
  mvdb::AuditRecord output;
  output.kind = OutputKind(control_);
  output.criteria = FormCriteria(control_);
  output.rows = control_.NombreAbsencesSelectionnees();
  for (const QString& file : files_) output.files += (output.files.empty() ? "" : "\n") + file.toStdString();
  try {
    database_.storage().Accounts()->RecordOutput(output);
    failure_.clear();
  } catch (const std::exception& e) {
    failure_ = e.what();
    emit recordFailed(QString::fromStdString(failure_));
  }
}

}  // namespace morvane::host
