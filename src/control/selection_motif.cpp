// The absence reason list Cbo_Motif: shown while at most one absence type is
// ticked, filled with that type's reasons from the reason table, sorted by
// label; each item's data is its reason code as a number.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "control/variable.h"
#include "mvdb/errors.h"

namespace morvane::control {
namespace {

// Value positions of each family's reasons in the reason table, in the order
// they are taken.
const std::vector<int>& PositionsDe(const QString& famille) {
  static const std::vector<int> arretTravail = {1, 2, 3, 4, 5, 6, 29, 30};
  static const std::vector<int> conges = {12, 13, 14, 15, 16, 17, 23, 25, 26, 27, 28, 31};
  static const std::vector<int> autres = {7, 8, 9, 10, 11, 24, 32};
  static const std::vector<int> aValider = {22};
  static const std::vector<int> aucune;
  if (famille == QLatin1String("AT")) return arretTravail;
  if (famille == QLatin1String("C")) return conges;
  if (famille == QLatin1String("A")) return autres;
  if (famille == QLatin1String("AV")) return aValider;
  return aucune;
}

// "Autres" also takes every reason whose code, compared as text, is "50" or
// more: with two-character codes, 50 to 99.
const std::string kPremierCodeAutre = "50";

// Item data of a reason: its code as a whole number; nullopt when the code
// does not read as one (such a reason cannot be selected by number).
std::optional<std::int32_t> CodeNumerique(const std::string& code) {
  bool nombre = false;
  const std::int32_t valeur = QString::fromStdString(code).trimmed().toInt(&nombre);
  if (!nombre) return std::nullopt;
  return valeur;
}

}  // namespace

void Ctr_Morvane::Afficher_Motif() {
  Cbo_Motif->setVisible(true);
  Etq_Motif->setVisible(true);

  // Only a plain tick counts here (a grayed box does not). Sick leave alone,
  // with "fin d'absence dans la période", makes the letters available; any
  // other type makes them unavailable; otherwise they are left as they were.
  const bool arretTravail = classic::Value(Cac_ArretTravail) == 1;
  const bool conges = classic::Value(Cac_Conges) == 1;
  const bool autres = classic::Value(Cac_EvtFam) == 1;
  const bool aValider = classic::Value(Cac_AValider) == 1;
  int coches = 0;
  if (arretTravail) {
    coches = 1;
    if (Opt_FinPeriodeRef->isChecked()) Opt_LettreInfo->setEnabled(true);
  }
  for (const bool autreType : {conges, autres, aValider}) {
    if (!autreType) continue;
    ++coches;
    Opt_LettreInfo->setEnabled(false);
  }

  if (coches >= 2) {
    // Several types: no single reason. Items and TabMotif stay until the next fill.
    classic::ClearSelection(Cbo_Motif);
    Cbo_Motif->setVisible(false);
    Etq_Motif->setVisible(false);
    return;
  }
  // With no type ticked the list keeps the items it had.
  if (arretTravail) {
    Remplir_Combo_Motif(QStringLiteral("AT"));
  } else if (conges) {
    Remplir_Combo_Motif(QStringLiteral("C"));
  } else if (autres) {
    Remplir_Combo_Motif(QStringLiteral("A"));
  } else if (aValider) {
    Remplir_Combo_Motif(QStringLiteral("AV"));
  }
}

void Ctr_Morvane::Remplir_Combo_Motif(const QString& family) {
  TabMotif = mvdb::DynArray();
  classic::Clear(Cbo_Motif);
  classic::ClearSelection(Cbo_Motif);  // a reason of another type would no longer name an entry

  // The form stays usable when the table cannot be read: the list stays
  // empty, so no reason can narrow the request. Said once the pointer and the
  // surface are back.
  std::optional<mvdb::DynArray> lue;
  std::optional<QString> echec;
  {
    Sablier sablier(*this);
    try {
      lue = Variable::FicTables.Find("ABSENCES");
    } catch (const mvdb::DbError& e) {
      echec = QString::fromUtf8(e.what());
    }
    if (lue) {
      Variable::EnregTables = *lue;
      const mvdb::DynArray& table = Variable::EnregTables;
      // A position beyond the table (empty code) or a code that is not a whole
      // number offers nothing: such a reason could not narrow the query.
      int ligne = 1;
      const auto prendre = [&](int position) {
        const std::string code = table.Item(2, position);
        if (code.empty() || !CodeNumerique(code)) return;
        TabMotif.SetItem(ligne, 1, table.Item(3, position));
        TabMotif.SetItem(ligne, 2, code);
        ++ligne;
      };
      for (const int position : PositionsDe(family)) prendre(position);
      if (family == QLatin1String("A")) {
        // Fixed positions whose code passes are taken a second time.
        for (int position = 1; !table.Item(2, position).empty(); ++position) {
          if (table.Item(2, position) >= kPremierCodeAutre) prendre(position);
        }
      }
      if (family == QLatin1String("AT") || family == QLatin1String("C") || family == QLatin1String("A")) Trier_Motif();

      const int lignes = TabMotif.DCount();
      for (int k = 1; k <= lignes; ++k) {
        classic::AddItem(Cbo_Motif, QString::fromStdString(TabMotif.Item(k, 1)),
                         QVariant(CodeNumerique(TabMotif.Item(k, 2)).value_or(0)));
      }
    }
  }
  if (echec) {
    Message(QStringLiteral("La table des motifs d'absence n'a pas pu être lue : %1").arg(*echec),
            services::MsgIcon::Critical);
  } else if (!lue) {
    Message(QStringLiteral("La table des motifs d'absence (ABSENCES) est introuvable dans le fichier TABLES."));
  }
}

void Ctr_Morvane::Trier_Motif() {
  // Selection sort on the label, compared byte by byte (upper case before
  // lower case, accented letters after the plain alphabet), exactly as the
  // rows were ordered before. The table holds at most a hundred two-digit
  // codes (plus the "Autres" repeats), so the quadratic sort stays tiny.
  const int n = TabMotif.DCount();
  std::vector<std::pair<std::string, std::string>> lignes;
  lignes.reserve(static_cast<std::size_t>(n));
  for (int k = 1; k <= n; ++k) lignes.emplace_back(TabMotif.Item(k, 1), TabMotif.Item(k, 2));
  for (std::size_t i = 0; i < lignes.size(); ++i) {
    std::size_t plusPetit = i;
    for (std::size_t j = i + 1; j < lignes.size(); ++j) {
      if (lignes[j].first < lignes[plusPetit].first) plusPetit = j;
    }
    if (plusPetit != i) std::swap(lignes[i], lignes[plusPetit]);
  }
  for (int k = 1; k <= n; ++k) {
    TabMotif.SetItem(k, 1, lignes[static_cast<std::size_t>(k - 1)].first);
    TabMotif.SetItem(k, 2, lignes[static_cast<std::size_t>(k - 1)].second);
  }
}

}  // namespace morvane::control
