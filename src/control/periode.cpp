// The reference period ("Début", "Fin"): the check made when a date field is
// left, and Test, the check of the whole request that "Imprimer" runs first.
#include <QCheckBox>
#include <QLineEdit>
#include <cstdint>
#include <functional>
#include <optional>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "services/outils_date.h"

namespace morvane::control {
namespace {

const QString kErreurDate = QStringLiteral("Erreur de saisie dans la date, veuillez la ressaisir.");

// The day number of a field's date, or nullopt when the date service cannot
// convert its text.
std::optional<std::int32_t> JourDe(services::OutilsDate& dates, const QLineEdit* field) {
  const QString jour = dates.DateInterne(field->text());
  bool nombre = false;
  const std::int32_t valeur = jour.toInt(&nombre);
  if (jour.isEmpty() || !nombre) return std::nullopt;
  return valeur;
}

// A box counts as ticked here when it is not unticked: grayed counts.
bool NonDecoche(const QCheckBox* box) { return classic::Value(box) != 0; }

// Normalises the typed date in place; a text that is no date is kept (in its
// normalised form) and the field takes the focus back. An empty field passes.
void VerifierDate(services::OutilsDate& dates, QLineEdit* field,
                         const std::function<void(const QString&)>& message) {
  if (field->text().isEmpty()) return;
  QString tape = field->text();
  field->setText(dates.FormaterDate(tape, false));
  if (!dates.DateInterne(field->text()).isEmpty()) return;
  // The service may already have told the user.
  if (!dates.ErreurSignalee()) message(kErreurDate);
  field->setFocus(Qt::OtherFocusReason);
}

}  // namespace

// ---- leaving a date field ----

void Ctr_Morvane::Txt_Debut_LostFocus() {
  VerifierDate(Dates(), Txt_Debut, [this](const QString& text) { Message(text); });
}

void Ctr_Morvane::Txt_Fin_LostFocus() {
  VerifierDate(Dates(), Txt_Fin, [this](const QString& text) { Message(text); });
}

// ---- the criteria check ----

void Ctr_Morvane::Test() {
  Erreur = false;
  // Refuses the request; an empty message shows nothing (already said).
  const auto refuser = [this](const QString& message, QLineEdit* focus) {
    if (!message.isEmpty()) Message(message);
    if (focus != nullptr) focus->setFocus(Qt::OtherFocusReason);
    Erreur = true;
  };

  if (!NonDecoche(Cac_ArretTravail) && !NonDecoche(Cac_Conges) && !NonDecoche(Cac_EvtFam) &&
      !NonDecoche(Cac_AValider)) {
    return refuser(QStringLiteral("Au moins un type d'absence doit être sélectionné."), nullptr);
  }
  if (Txt_Debut->text().isEmpty()) {
    return refuser(QStringLiteral("La date de début doit être renseignée."), Txt_Debut);
  }
  if (Txt_Fin->text().isEmpty()) {
    return refuser(QStringLiteral("La date de fin doit être renseignée."), Txt_Fin);
  }

  // "Imprimer" can be pressed right after a refused field exit, with a text
  // that is no date still in the field: it is refused as at the field's exit
  // (the message of the date service, or ours), focus in that field.
  services::OutilsDate& dates = Dates();
  const auto debut = JourDe(dates, Txt_Debut);
  if (!debut) return refuser(dates.ErreurSignalee() ? QString() : kErreurDate, Txt_Debut);
  const auto fin = JourDe(dates, Txt_Fin);
  if (!fin) return refuser(dates.ErreurSignalee() ? QString() : kErreurDate, Txt_Fin);

  // A single day (start equal to end) is a valid period.
  if (*debut > *fin) {
    Message(QStringLiteral("La date de début doit être inférieure à la date de fin."));
    Txt_Fin->setText(QString());
    return refuser(QString(), Txt_Fin);
  }

  // An entity offering both activity types needs at least one of them; with
  // either box disabled, or no entity typed, the boxes are not looked at.
  if (!Txt_Entite->text().isEmpty() && classic::Enabled(Cac_Prest) && classic::Enabled(Cac_Mandat) &&
      classic::Value(Cac_Prest) == 0 && classic::Value(Cac_Mandat) == 0) {
    return refuser(QStringLiteral("Au moins un type d'activité doit être coché."), nullptr);
  }
}

}  // namespace morvane::control
