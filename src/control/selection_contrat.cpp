// Contract filtering of the absence selection: each row keeps the carer's
// contract that covers the reference period and fits the legal entity and the
// activity types, or is removed when the carer has none.
//
// Reads resume after failures: a missing record (0x8004000B) is the only
// failure the filter looks at; any other engine failure leaves the previous
// record in its slot and the walk goes on with it.
#include "control/selection_contrat.h"

#include <algorithm>
#include <unordered_set>

#include "control/selection_aidants.h"
#include "control/selection_lecture.h"
#include "control/selection_requete.h"
#include "mvdb/errors.h"
#include "mvdb/numbers.h"

namespace morvane::control {

std::int32_t JourStocke(std::string_view texte) {
  texte.remove_prefix(std::min(texte.find_first_not_of(' '), texte.size()));
  std::size_t fin = !texte.empty() && (texte[0] == '-' || texte[0] == '+') ? 1 : 0;
  while (fin < texte.size() && texte[fin] >= '0' && texte[fin] <= '9') ++fin;
  const auto jour = mvdb::ParseNumber(texte.substr(0, fin));
  if (!jour) return 0;
  return static_cast<std::int32_t>(std::clamp(*jour, double{INT32_MIN}, double{INT32_MAX}));
}

bool LireEnReprise(const mvdb::DbFile& file, const std::string& key, mvdb::DynArray& slot) {
  try {
    auto record = file.Find(key);  // no record has an empty key
    if (!record) return false;
    slot = std::move(*record);
  } catch (const mvdb::DbError&) {
    // Resumed: the previous record stays in the slot.
  }
  return true;
}

const std::optional<ResumeContrat>& CacheContrats::Lire(const std::string& cle) {
  auto [it, nouveau] = resumes_.try_emplace(cle);
  if (!nouveau) return it->second;
  if (LireEnReprise(sources_.contrats, cle, sources_.enregContrat)) {
    const mvdb::DynArray& c = sources_.enregContrat;
    ResumeContrat r;
    r.genre = c.Item(1);
    r.entite = c.Item(2);
    r.debut = JourStocke(c.Item(7));
    const std::string fin = c.Item(8);
    r.fin = fin.empty() ? 99999 : JourStocke(fin);
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

// The conditions of a carer's contract query that do not name the carer.
std::string ConditionsCommunes(const FiltreEntite& f) {
  std::string q = " AVEC 65 = " + Quoted("");
  if (f.FiltreActif()) q += " AND AVEC 2 = " + Quoted(f.entite);
  if (f.prestataire && !f.mandataire) q += " AND AVEC 1 <> " + Quoted("02");
  if (f.mandataire && !f.prestataire) q += " AND AVEC 1 = " + Quoted("02");
  q += " AND AVEC 7 <= " + Quoted(std::to_string(f.fin));
  q += " AND AVEC 8 >= " + Quoted(std::to_string(f.debut)) + " OR = " + Quoted("");
  return q;
}

// The carer's contracts that cover the period, as the database selects them.
std::string RequeteContrats(const std::string& aidant, const FiltreEntite& f) {
  return "SSELECT CONTRAT AVEC CodeAidant = " + Quoted(aidant) + " AND" + ConditionsCommunes(f);
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
      : resultat_(resultat), filtre_(filtre), sources_(sources), contrats_(sources), absences_(sources) {}

  void Executer() {
    Preparer();
    for (int i = resultat_.DCount(); i >= 1; --i) Ligne(i);
    absences_.Terminer();
  }

 private:
  static std::string Motif(const std::string& cle) { return cle.size() >= 7 ? cle.substr(5, 2) : std::string(); }
  static bool AbsenceLue(const std::string& motif) {
    return motif == "03" || motif == "13" || ContratsDeLAbsence(motif);
  }

  // Reads ahead the absences the walk reads; with several carers to ask for
  // their contracts, asks for every carer's at once.
  void Preparer() {
    std::vector<std::string> lues;
    std::unordered_set<std::string> aidants;
    for (int i = resultat_.DCount(); i >= 1; --i) {
      std::string cle = resultat_.Item(i, 1);
      const std::string motif = Motif(cle);
      if (!ContratsDeLAbsence(motif)) aidants.insert(cle.substr(0, 5));
      if (AbsenceLue(motif)) lues.push_back(std::move(cle));
    }
    absences_.Precharger(std::move(lues));
    if (aidants.size() > 1)
      groupes_ = ContratsGroupes::Selectionner(sources_.base, "SSELECT CONTRAT" + ConditionsCommunes(filtre_));
  }

  void Ligne(int i) {
    const std::string cle = resultat_.Item(i, 1);
    const std::string motif = Motif(cle);
    bool absenceLue = false;
    if (motif == "03" || motif == "13") {
      absenceLue = absences_.Lire(cle);
      const std::string_view activite = absences_.Courant().Attribut(47);
      if (absenceLue && !activite.empty()) resultat_.SetItem(i, 7, activite);
    }
    if (ContratsDeLAbsence(motif)) {
      if (!absenceLue && !absences_.Lire(cle)) return;
      ContratsListes(i);
    } else {
      ContratsSelectionnes(i, cle.substr(0, 5));
    }
  }

  // The absence names its contracts in attribute 17; the last one that fits wins.
  void ContratsListes(int i) {
    const VueEnregistrement& absence = absences_.Courant();
    const int n = absence.NombreValeurs(17);
    bool trouve = false;
    for (int k = 1; k <= n; ++k) {
      const std::string cleContrat(absence.Valeur(17, k));
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
    const std::string requete = RequeteContrats(aidant, filtre_);
    std::optional<std::vector<std::string>> cles;
    if (groupes_) cles = groupes_->Cles(requete);
    if (!cles) {
      try {
        long count = 0;
        const mvdb::DynArray liste =
            sources_.base.DBSelect(DemandeSelection(requete, "CONTRAT", "0").Text(), "", count);
        cles.emplace();
        for (int r = 1; r <= liste.DCount(); ++r) cles->push_back(liste.Item(r, 1));
      } catch (const mvdb::DbError&) {
        c.illisible = true;
        return c;
      }
    }
    if (cles->empty()) {
      c.aucun = true;
      return c;
    }
    if (!filtre_.prestataire) return c;
    for (const std::string& cle : *cles) {
      const std::optional<ResumeContrat>& contrat = contrats_.Lire(cle);
      if (contrat && !contrat->Mandataire()) c.cleEcrite = cle;
    }
    return c;
  }

  mvdb::DynArray& resultat_;
  const FiltreEntite& filtre_;
  const SourcesFiltre& sources_;
  CacheContrats contrats_;
  LecteurAbsences absences_;
  std::unordered_map<std::string, ContratsAidant> parAidant_;
  std::optional<ContratsGroupes> groupes_;  // every carer's contracts, when asked at once
};

}  // namespace

void FiltrerParContrat(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources) {
  if (resultat.Empty()) return;
  Filtrage(resultat, filtre, sources).Executer();
}

}  // namespace morvane::control
