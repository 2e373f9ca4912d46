// Contract filtering of the absence selection: each row keeps the carer's
// contract that covers the reference period and fits the legal entity and the
// activity types, or is removed when the carer has none.
//
// Reads resume after failures: a missing record (0x8004000B) is the only
// failure the filter looks at; any other engine failure leaves the previous
// record in its slot and the walk goes on with it.
#include <QCheckBox>
#include <QLineEdit>
#include <stdexcept>
#include <unordered_map>

#include "control/ctr_morvane.h"
#include "control/selection_cache_contrats.h"
#include "control/selection_requete.h"
#include "control/variable.h"
#include "services/outils_date.h"

namespace morvane::control {

std::int32_t EntierTexte(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negatif = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negatif = text[i++] == '-';
  std::int64_t valeur = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    valeur = valeur * 10 + (text[i] - '0');
    if (valeur > INT32_MAX) return negatif ? INT32_MIN : INT32_MAX;
  }
  return static_cast<std::int32_t>(negatif ? -valeur : valeur);
}

bool LireEnReprise(const mvdb::DbFile& file, const std::string& key, mvdb::DynArray& slot) {
  if (key.empty()) return false;  // no record can have an empty key
  try {
    slot = file.DBRead(key);
    return true;
  } catch (const mvdb::DbError& e) {
    return !e.IsNotFound();
  }
}

const std::optional<ResumeContrat>& CacheContrats::Lire(const std::string& cle) {
  auto [it, nouveau] = resumes_.try_emplace(cle);
  if (!nouveau) return it->second;
  if (LireEnReprise(sources_.contrats, cle, sources_.enregContrat)) {
    const mvdb::DynArray& c = sources_.enregContrat;
    ResumeContrat r;
    r.genre = c.Item(1);
    r.entite = c.Item(2);
    r.debut = EntierTexte(c.Item(7));
    const std::string fin = c.Item(8);
    r.fin = fin.empty() ? 99999 : EntierTexte(fin);
    r.ecarte = !c.Item(65).empty();
    it->second = std::move(r);
  }
  return it->second;
}

namespace {

// Whether a fitting contract counts as found, and whether its key goes into
// column 6, by the activity types ticked.
struct RegleActivite {
  bool compte = false;
  bool ecrit = false;
};

RegleActivite Appliquer(const FiltreEntite& f, const ResumeContrat& contrat) {
  const bool mandataire = contrat.Mandataire();
  if (f.prestataire && f.mandataire) return {true, !mandataire};
  if (f.prestataire) return {!mandataire, !mandataire};
  if (f.mandataire) return {mandataire, mandataire};
  return {};
}

bool Convient(const FiltreEntite& f, const ResumeContrat& contrat) {
  if (contrat.ecarte) return false;
  if (contrat.debut > f.fin) return false;
  if (f.debut > contrat.fin) return false;
  return !f.FiltreActif() || contrat.entite == f.entite;
}

// Reasons whose absences list their own contracts: sick leave and accidents.
bool ContratsDeLAbsence(const std::string& motif) {
  return motif <= "06" || motif == "29" || motif == "30";
}

std::string Quoted(const std::string& value) { return "\"" + value + "\""; }

// The carer's contracts that cover the period, as the database selects them.
std::string RequeteContrats(const std::string& aidant, const FiltreEntite& f) {
  std::string q = "SSELECT CONTRAT AVEC CodeAidant = " + Quoted(aidant);
  q += " AND AVEC 65 = " + Quoted("");
  if (f.FiltreActif()) q += " AND AVEC 2 = " + Quoted(f.entite);
  if (f.prestataire && !f.mandataire) q += " AND AVEC 1 <> " + Quoted("02");
  if (f.mandataire && !f.prestataire) q += " AND AVEC 1 = " + Quoted("02");
  q += " AND AVEC 7 <= " + Quoted(std::to_string(f.fin));
  q += " AND AVEC 8 >= " + Quoted(std::to_string(f.debut)) + " OR = " + Quoted("");
  return q;
}

// Outcome of the contract query for one carer: the same for every absence of
// that carer within one filtering, so it is asked once per carer.
struct ContratsAidant {
  bool illisible = false;              // the query failed: the row is kept as it is
  bool aucun = false;                  // no contract selected: the row goes
  std::optional<std::string> cleEcrite;  // last service-provider contract, when "Prestataire" is ticked
};

class Filtrage {
 public:
  Filtrage(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources)
      : resultat_(resultat), filtre_(filtre), sources_(sources), contrats_(sources) {}

  void Executer() {
    for (int i = resultat_.DCount(); i >= 1; --i) Ligne(i);
  }

 private:
  void Ligne(int i) {
    const std::string cle = resultat_.Item(i, 1);
    const std::string motif = cle.size() >= 7 ? cle.substr(5, 2) : std::string();
    bool absenceLue = false;
    if (motif == "03" || motif == "13") {
      absenceLue = LireEnReprise(sources_.absences, cle, sources_.enregAbsence);
      const std::string activite = sources_.enregAbsence.Item(47);
      if (absenceLue && !activite.empty()) resultat_.SetItem(i, 7, activite);
    }
    if (ContratsDeLAbsence(motif)) {
      if (!absenceLue && !LireEnReprise(sources_.absences, cle, sources_.enregAbsence)) return;
      ContratsListes(i);
    } else {
      ContratsSelectionnes(i, cle.substr(0, 5));
    }
  }

  // The absence names its contracts in attribute 17; the last one that fits wins.
  void ContratsListes(int i) {
    const mvdb::DynArray& absence = sources_.enregAbsence;
    const int n = absence.DCount(17);
    bool trouve = false;
    for (int k = 1; k <= n; ++k) {
      const std::string cleContrat = absence.Item(17, k);
      const std::optional<ResumeContrat>& contrat = contrats_.Lire(cleContrat);
      if (!contrat || !Convient(filtre_, *contrat)) continue;
      const RegleActivite regle = Appliquer(filtre_, *contrat);
      if (!regle.compte) continue;
      trouve = true;
      if (regle.ecrit) resultat_.SetItem(i, 6, cleContrat);
    }
    if (!trouve) resultat_.Delete(i);
  }

  void ContratsSelectionnes(int i, const std::string& aidant) {
    auto [it, nouveau] = parAidant_.try_emplace(aidant);
    if (nouveau) it->second = Interroger(aidant);
    const ContratsAidant& c = it->second;
    if (c.illisible) return;
    if (c.aucun) {
      resultat_.Delete(i);
      return;
    }
    if (c.cleEcrite) resultat_.SetItem(i, 6, *c.cleEcrite);
  }

  ContratsAidant Interroger(const std::string& aidant) {
    ContratsAidant c;
    mvdb::DynArray liste;
    try {
      long count = 0;
      liste = sources_.base.DBSelect(
          DemandeSelection(RequeteContrats(aidant, filtre_), "CONTRAT", "0").Text(), "", count);
    } catch (const mvdb::DbError&) {
      c.illisible = true;
      return c;
    }
    if (liste.Text().empty()) {
      c.aucun = true;
      return c;
    }
    if (!filtre_.prestataire) return c;
    const int n = liste.DCount();
    for (int r = 1; r <= n; ++r) {
      const std::string cle = liste.Item(r, 1);
      const std::optional<ResumeContrat>& contrat = contrats_.Lire(cle);
      if (contrat && !contrat->Mandataire()) c.cleEcrite = cle;
    }
    return c;
  }

  mvdb::DynArray& resultat_;
  const FiltreEntite& filtre_;
  const SourcesFiltre& sources_;
  CacheContrats contrats_;
  std::unordered_map<std::string, ContratsAidant> parAidant_;
};

}  // namespace

void FiltrerParContrat(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources) {
  if (resultat.Empty()) return;
  Filtrage(resultat, filtre, sources).Executer();
}

FiltreEntite FiltreDuFormulaire(const QLineEdit& entite, const QString& entiteDefaut, const QCheckBox& prest,
                                const QCheckBox& mandat, const QString& debut, const QString& fin) {
  FiltreEntite f;
  f.entite = entite.text().toStdString();
  f.entiteDefaut = entiteDefaut.toStdString();
  f.prestataire = prest.checkState() == Qt::Checked;
  f.mandataire = mandat.checkState() == Qt::Checked;
  f.debut = EntierTexte(debut.toStdString());
  f.fin = EntierTexte(fin.toStdString());
  return f;
}

SourcesFiltre SourcesDuModule() {
  if (Variable::TheDatabase == nullptr) throw std::logic_error("the database is not open");
  return {*Variable::TheDatabase, Variable::FicAbsence, Variable::FicContrat, Variable::EnregAbsence,
          Variable::EnregContrat};
}

// The period of the contract test is the typed one, not the planning's whole
// weeks.
void Ctr_Morvane::Requete_Contrat() {
  const FiltreEntite filtre = FiltreDuFormulaire(*Txt_Entite, EntiteDefaut, *Cac_Prest, *Cac_Mandat,
                                                 Dates().DateInterne(Txt_Debut->text()),
                                                 Dates().DateInterne(Txt_Fin->text()));
  FiltrerParContrat(ResultatSelection, filtre, SourcesDuModule());
}

}  // namespace morvane::control
