// The sector / commune look-up of "Sélection / Tri des aidants": the code field
// Txt_Secteur and the list Cbo_Secteur keep each other in step. The mode is
// read from Opt_Secteur each time: sector mode when it is selected, commune
// mode otherwise.
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <optional>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "control/selection_requete.h"
#include "control/variable.h"
#include "mvdb/errors.h"

namespace morvane::control {
namespace {

constexpr int kLongueurSecteur = 3;  // sector codes: padded with "0" on the left
constexpr int kLongueurCommune = 5;  // commune codes: padded with "0" on the right

// The absence query writes the sector code and the commune name as values
// between double quotes: what the query language would read as syntax in
// them (a quote ending the value early, "]" making it a begins-with test) is
// refused as it is typed.
QString SyntaxeRefusee(const QString& syntaxe) { return QStringLiteral("Cette zone n'admet pas %1.").arg(syntaxe); }

// The code completed to its mode's length: sectors on the left, communes on
// the right. A code already long enough is left as it is.
QString Completer(const QString& code, bool secteur) {
  return secteur ? code.rightJustified(kLongueurSecteur, QLatin1Char('0'))
                 : code.leftJustified(kLongueurCommune, QLatin1Char('0'));
}

// A whole attribute as one line of text: values and sub-values separated by a
// blank (a delimiter byte has no meaning on the form and would break a query).
QString TexteAttribut(std::string text) {
  for (char& c : text) {
    if (c == mvdb::kValueMark || c == mvdb::kSubValueMark) c = ' ';
  }
  return QString::fromStdString(text);
}

// Empties `list`, runs "query" on `file` returning the key and attribute 1,
// and fills `list` with column 2 of each row up to the first row whose code is
// empty; `rows` receives the result list. A failed read leaves the list and
// `rows` empty (the code field still works) and returns the engine's reason.
std::optional<QString> RemplirLibelles(QComboBox* list, const std::string& query, const std::string& file,
                                       mvdb::DynArray& rows) {
  classic::Clear(list);
  try {
    long count = 0;
    rows = Variable::TheDatabase->DBSelect(DemandeSelection(query, file, "0 1").Text(), std::string(), count);
  } catch (const mvdb::DbError& e) {
    rows = mvdb::DynArray();
    return QString::fromUtf8(e.what());
  }
  // 32-bit row counter: lists past 32,767 rows are filled whole.
  for (int i = 1; !rows.Item(i, 1).empty(); ++i) {
    classic::AddItem(list, TexteAttribut(rows.Item(i, 2)));
  }
  return std::nullopt;
}

}  // namespace

// ---- filling the list ----

void Ctr_Morvane::Remplir_Combo_Secteur() {
  if (auto erreur = RemplirLibelles(Cbo_Secteur, "SSELECT SECTEUR PAR 1 ", "SECTEUR", ListeSecteur)) {
    Message(QStringLiteral("La liste des secteurs n'a pas pu être lue : %1").arg(*erreur), services::MsgIcon::Critical);
  }
}

void Ctr_Morvane::Remplir_Combo_Commue() {
  if (auto erreur = RemplirLibelles(Cbo_Secteur, "SSELECT COMMUNES PAR 1 ", "COMMUNES", ListeCommune)) {
    Message(QStringLiteral("La liste des communes n'a pas pu être lue : %1").arg(*erreur), services::MsgIcon::Critical);
  }
}

// ---- the code field ----

void Ctr_Morvane::Txt_Secteur_Change() {
  const QString code = Txt_Secteur->text();
  if (const auto syntaxe = SyntaxeDansValeur(code.toStdString())) {
    Message(SyntaxeRefusee(*syntaxe));
    Txt_Secteur->setText(SansSyntaxe(code));  // looks the rest up
    return;
  }
  const bool secteur = Opt_Secteur->isChecked();
  if (code.size() != (secteur ? kLongueurSecteur : kLongueurCommune)) {
    classic::ClearSelection(Cbo_Secteur);  // the code field keeps what was typed
    return;
  }

  // A sector the user may not see is never shown, and nothing is said.
  if (secteur && !(DroitsAbsences && DroitsAbsences->SecteurAutorise(code, true).value_or(false))) {
    classic::ClearSelection(Cbo_Secteur);
    return;
  }

  // An unknown code, or a read that fails for another reason (a failure, not a
  // refusal), empties the code field (which clears the list) and gives it
  // back the focus.
  const auto refuser = [this](const QString& message, services::MsgIcon icone = services::MsgIcon::Exclamation) {
    Message(message, icone);
    Txt_Secteur->setText(QString());
    classic::ClearSelection(Cbo_Secteur);
    Txt_Secteur->setFocus(Qt::OtherFocusReason);
  };
  std::optional<mvdb::DynArray> enreg;
  try {
    enreg = (secteur ? Variable::FicSecteur : Variable::FicCommunes).Find(code.toStdString());
  } catch (const mvdb::DbError& e) {
    refuser(QStringLiteral("Le code %1 n'a pas pu être vérifié : %2").arg(code, QString::fromUtf8(e.what())),
            services::MsgIcon::Critical);
    return;
  }
  if (!enreg) {
    refuser(secteur ? QStringLiteral("Ce secteur n'existe pas.") : QStringLiteral("Cette commune n'existe pas."));
    return;
  }
  QString libelle;
  if (secteur) {
    Variable::EnregSecteur = *enreg;
    libelle = QString::fromStdString(Variable::EnregSecteur.Item(1, 1));
  } else {
    Variable::EnregCommune = *enreg;
    libelle = TexteAttribut(Variable::EnregCommune.Item(1));  // every value, not only the first
  }
  // The commune name becomes a quoted value of the absence query.
  if (const auto syntaxe = secteur ? std::nullopt : SyntaxeDansValeur(libelle.toStdString())) {
    refuser(QStringLiteral("Le nom de la commune %1 contient %2 : il ne peut pas servir de critère.")
                .arg(code, *syntaxe));
    return;
  }
  Cbo_Secteur->setEditText(libelle);
}

void Ctr_Morvane::Txt_Secteur_KeyPress(int& KeyAscii) {
  // Enter completes the code, even an empty one (000 / 00000); the key itself
  // goes on to the field, and every other key passes unchanged.
  if (KeyAscii == 13) Txt_Secteur->setText(Completer(Txt_Secteur->text(), Opt_Secteur->isChecked()));
}

void Ctr_Morvane::Txt_Secteur_LostFocus() {
  const QString code = Txt_Secteur->text();
  const bool secteur = Opt_Secteur->isChecked();
  if (!code.isEmpty() && code.size() < (secteur ? kLongueurSecteur : kLongueurCommune)) {
    Txt_Secteur->setText(Completer(code, secteur));
  }
}

// ---- the list ----

void Ctr_Morvane::Cbo_Secteur_Click() {
  const int index = classic::ListIndex(Cbo_Secteur);
  if (index == -1) return;
  const mvdb::DynArray& liste = Opt_Secteur->isChecked() ? ListeSecteur : ListeCommune;
  // The code field's change looks the code up and puts the label back (or
  // clears the list for a sector the user may not see).
  Txt_Secteur->setText(QString::fromStdString(liste.Item(index + 1, 1)));
}

void Ctr_Morvane::Cbo_Secteur_Change() {
  const QString texte = Cbo_Secteur->currentText();
  if (texte.isEmpty()) {
    Txt_Secteur->setText(QString());
    return;
  }
  // In commune mode the list's text is the commune criterion of the query.
  if (Opt_Secteur->isChecked()) return;
  if (const auto syntaxe = SyntaxeDansValeur(texte.toStdString())) {
    Message(SyntaxeRefusee(*syntaxe));
    Cbo_Secteur->setEditText(SansSyntaxe(texte));
  }
}

}  // namespace morvane::control
