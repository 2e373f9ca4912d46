// The legal-entity look-up at the top of the form: the code field Txt_Entite,
// the list of entity short names Cbo_Entite (a typed beginning filters it on
// Enter) and the activity-type boxes "Prestataire" / "Mandataire".
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <optional>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "control/selection_requete.h"
#include "control/variable.h"
#include "mvdb/errors.h"

namespace morvane::control {
namespace {

constexpr int kLongueurEntite = 3;  // entity codes: padded with "0" on the left
constexpr int kToucheEntree = 13;
constexpr int kDernierCodeAdmis = 122;  // "z": accented letters and "{" ... are refused

QString Completer(const QString& code) { return code.rightJustified(kLongueurEntite, QLatin1Char('0')); }

// The first kLongueurEntite characters of an activity key: its entity code.
std::string CodeEntiteDe(const std::string& cleActivite) {
  return QString::fromStdString(cleActivite).left(kLongueurEntite).toStdString();
}

// The result list of a selection on ACTIVITES; throws what DBSelect throws.
mvdb::DynArray SelectionnerActivites(const std::string& query, const std::string& attributes) {
  long count = 0;
  return Variable::TheDatabase->DBSelect(DemandeSelection(query, "ACTIVITES", attributes).Text(), std::string(),
                                         count);
}

}  // namespace

// ---- filling the list (INIT) ----

void Ctr_Morvane::Remplir_Combo_Entite() {
  // A failed read is told once the pointer and the surface are back.
  std::optional<QString> echec;
  mvdb::DynArray activites;
  {
    Sablier sablier(*this);
    classic::Clear(Cbo_Entite);
    ListeEntites = mvdb::DynArray();
    ListeEntitesFiltre = mvdb::DynArray();
    try {
      // One activity key per row, grouped by entity through the sort.
      activites = SelectionnerActivites("SSELECT ACTIVITES PAR LibAssoActivites PAR 0", "0");
    } catch (const mvdb::DbError& e) {
      echec = QString::fromUtf8(e.what());
    }
  }
  if (!echec && activites.Item(1).empty()) return;  // no entity: the list stays empty

  if (!echec) {
    Sablier sablier(*this);
    // Consecutive activities of one entity give one row. An entity without an
    // ASSOCIATION record has no name to show, print or export: it is left out,
    // and its code is then refused as unknown like any other.
    // Counters are 32-bit: 40,000 entities (past the 32,767 of 16-bit
    // counters) are listed whole.
    std::string precedent;
    int ligne = 1;
    const int nombre = activites.DCount();
    try {
      for (int i = 1; i <= nombre; ++i) {
        const std::string code = CodeEntiteDe(activites.Item(i, 1));
        if (code == precedent) continue;
        precedent = code;
        const auto association = Variable::FicAssociation.Find(code);
        if (!association) continue;
        Variable::EnregAssociation = *association;
        ListeEntites.SetItem(ligne, 1, code);
        ListeEntites.SetItem(ligne, 2, Variable::EnregAssociation.Item(1));
        ++ligne;
      }
      for (int k = 1; k < ligne; ++k) classic::AddItem(Cbo_Entite, QString::fromStdString(ListeEntites.Item(k, 2)));
    } catch (const mvdb::DbError& e) {
      ListeEntites = mvdb::DynArray();
      echec = QString::fromUtf8(e.what());
    }
  }
  if (echec) {
    Message(QStringLiteral("La liste des entités juridiques n'a pas pu être lue : %1").arg(*echec),
            services::MsgIcon::Critical);
    return;
  }

  // A single entity is chosen at once: the code's change selects it.
  if (Cbo_Entite->count() == 1) {
    Txt_Entite->setText(QString::fromStdString(ListeEntites.Item(1, 1)));
    Cbo_Entite->setEditText(QString::fromStdString(ListeEntites.Item(1, 2)));
  }
}

// ---- the list ----

void Ctr_Morvane::Cbo_Entite_KeyPress(int& KeyAscii) {
  if (KeyAscii != kToucheEntree) {
    if (KeyAscii > kDernierCodeAdmis) {
      Message(QStringLiteral("La saisie de minuscule accentuée est interdite sur cette zone."));
      KeyAscii = 0;
    }
    return;
  }

  // Enter: keep the entities whose short name begins with the typed text in
  // upper case (an empty text keeps them all).
  Sablier sablier(*this);
  const QString debut = Cbo_Entite->currentText().toUpper();
  const int longueur = debut.size();
  classic::Clear(Cbo_Entite);
  ListeEntitesFiltre = mvdb::DynArray();
  int ligne = 1;
  const int nombre = ListeEntites.DCount();
  for (int i = 1; i <= nombre; ++i) {
    const QString nom = QString::fromStdString(ListeEntites.Item(i, 2));
    if (nom.left(longueur) != debut) continue;
    ListeEntitesFiltre.SetItem(ligne, 1, ListeEntites.Item(i, 1));
    ListeEntitesFiltre.SetItem(ligne, 2, ListeEntites.Item(i, 2));
    classic::AddItem(Cbo_Entite, nom);
    ++ligne;
  }
  if (ligne == 2) {  // exactly one: chosen at once
    Txt_Entite->setText(QString::fromStdString(ListeEntitesFiltre.Item(1, 1)));
    Cbo_Entite->setEditText(QString::fromStdString(ListeEntitesFiltre.Item(1, 2)));
  } else if (ligne == 1) {
    Ui().Beep();
    Message(QStringLiteral("Aucune entité commençant par ") + debut);
  }
}

void Ctr_Morvane::Cbo_Entite_Click() {
  if (Cbo_Entite->currentText().isEmpty()) return;
  const int index = classic::ListIndex(Cbo_Entite);
  if (index == -1) return;
  // After a filtering the items are the filtered rows, not the full list's.
  const mvdb::DynArray& liste = ListeEntitesFiltre.Empty() ? ListeEntites : ListeEntitesFiltre;
  Txt_Entite->setText(QString::fromStdString(liste.Item(index + 1, 1)));
}

void Ctr_Morvane::Cbo_Entite_Change() {
  if (!Cbo_Entite->currentText().isEmpty()) return;
  Txt_Entite->setText(QString());
  Vider_Act();
}

// ---- the code field ----

void Ctr_Morvane::Txt_Entite_Change() {
  const QString code = Txt_Entite->text();
  if (code.size() != kLongueurEntite) {
    // Emptying the list's text in turn empties the code field.
    Cbo_Entite->setEditText(QString());
    Vider_Act();
    return;
  }
  const std::string cle = code.toStdString();
  const int nombre = ListeEntites.DCount();
  for (int i = 1; i <= nombre; ++i) {
    if (ListeEntites.Item(i, 1) != cle) continue;
    Cbo_Entite->setEditText(QString::fromStdString(ListeEntites.Item(i, 2)));
    Vider_Act();
    Afficher_Activite();
    return;
  }
  // Only entities with activities are listed: one without is refused too.
  Message(QStringLiteral("Cette entité juridique n'existe pas."));
  Txt_Entite->setText(QString());
  Txt_Entite->setFocus(Qt::OtherFocusReason);
}

void Ctr_Morvane::Txt_Entite_KeyPress(int& KeyAscii) {
  // Enter completes the code, even an empty one (000); other keys pass.
  if (KeyAscii == kToucheEntree) Txt_Entite->setText(Completer(Txt_Entite->text()));
}

void Ctr_Morvane::Txt_Entite_LostFocus() {
  const QString code = Txt_Entite->text();
  if (!code.isEmpty() && code.size() < kLongueurEntite) Txt_Entite->setText(Completer(code));
}

// ---- the activity types ----

void Ctr_Morvane::Vider_Act() {
  classic::SetValue(Cac_Prest, 0);
  classic::SetValue(Cac_Mandat, 0);
  Cac_Prest->setEnabled(false);
  Cac_Mandat->setEnabled(false);
  Cdr_Activites->setEnabled(false);
}

void Ctr_Morvane::Afficher_Activite() {
  Cdr_Activites->setEnabled(true);
  classic::SetValue(Cac_Prest, 0);
  classic::SetValue(Cac_Mandat, 0);

  const QString code = Txt_Entite->text();
  if (const auto syntaxe = SyntaxeDansValeur(code.toStdString())) {
    // Query syntax in the code would change the query; such a code has no activity.
    Message(QStringLiteral("Le code d'entité %1 contient %2 : ses activités ne peuvent pas être lues.")
                .arg(code, *syntaxe));
    return;
  }
  mvdb::DynArray activites;
  std::optional<QString> echec;
  {
    Sablier sablier(*this);
    try {
      // "]" at the end of the value: the key begins with the entity code.
      activites = SelectionnerActivites("SSELECT ACTIVITES AVEC 0 = \"" + code.toStdString() + "]\"", "0 12");
    } catch (const mvdb::DbError& e) {
      echec = QString::fromUtf8(e.what());
    }
  }
  if (echec) {
    Message(QStringLiteral("Les activités de l'entité %1 n'ont pas pu être lues : %2").arg(code, *echec),
            services::MsgIcon::Critical);
    return;
  }

  // Row 1 is looked at even when nothing was selected.
  for (int i = 1; i == 1 || !activites.Item(i).empty(); ++i) {
    const std::string type = activites.Item(i, 2);
    if (type == "P" || type == "I" || type == "S") Cac_Prest->setEnabled(true);
    if (type == "M") Cac_Mandat->setEnabled(true);
  }
  if (classic::Enabled(Cac_Prest)) classic::SetValue(Cac_Prest, 1);
  if (classic::Enabled(Cac_Mandat)) classic::SetValue(Cac_Mandat, 1);
}

}  // namespace morvane::control
