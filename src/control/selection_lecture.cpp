// Reading absence records for the selection filters without parsing them.
#include "control/selection_lecture.h"

#include <algorithm>

#include "mvdb/errors.h"
#include "mvdb/storage.h"

namespace morvane::control {

void VueEnregistrement::Charger(std::string_view texte) {
  copie_.assign(texte);
  Viser(copie_);
}

void VueEnregistrement::Viser(std::string_view texte) {
  texte_ = texte;
  vue_.Reset({}, texte_);
}

void VueEnregistrement::Garder() {
  if (texte_.data() == copie_.data()) return;
  copie_.assign(texte_);
  Viser(copie_);
}

std::string_view VueEnregistrement::Attribut(int i) const { return vue_.Attribute(i); }

std::string_view VueEnregistrement::Valeur(int i, int j) const {
  if (j < 1) return {};
  std::string_view attribut = Attribut(i);
  for (int n = 1; n < j; ++n) {
    const std::size_t marque = attribut.find(mvdb::kValueMark);
    if (marque == std::string_view::npos) return {};
    attribut.remove_prefix(marque + 1);
  }
  return attribut.substr(0, attribut.find(mvdb::kValueMark));
}

int VueEnregistrement::NombreValeurs(int i) const {
  const std::string_view attribut = Attribut(i);
  if (attribut.empty()) return 0;
  return static_cast<int>(std::count(attribut.begin(), attribut.end(), mvdb::kValueMark)) + 1;
}

LecteurAbsences::LecteurAbsences(const SourcesFiltre& sources) : sources_(sources) {
  courant_.Charger(sources.enregAbsence.Text());
}

void LecteurAbsences::Precharger(std::vector<std::string> cles) {
  courant_.Garder();  // it may read a text kept from an earlier call
  cles_.clear();
  places_.clear();
  textes_.clear();
  attendus_.clear();
  suivant_ = 0;
  if (!sources_.absences.IsOpen()) return;
  // The keys sorted with their rank in the walk: each read of the walk then
  // finds its record without a search.
  std::vector<std::pair<std::string, std::uint32_t>> triees(cles.size());
  for (std::size_t i = 0; i < cles.size(); ++i) triees[i] = {std::move(cles[i]), static_cast<std::uint32_t>(i)};
  std::sort(triees.begin(), triees.end());
  std::vector<std::string> uniques;
  std::vector<std::uint32_t> attendus(triees.size(), kHorsLot);
  for (auto& [cle, rang] : triees) {
    if (cle.empty()) continue;  // no record has an empty key: read on its own
    if (uniques.empty() || uniques.back() != cle) uniques.push_back(std::move(cle));
    attendus[rang] = static_cast<std::uint32_t>(uniques.size() - 1);
  }
  std::vector<Place> places(uniques.size());
  std::string textes;
  try {
    std::size_t k = 0;
    const auto garder = [&](const std::string& cle, const std::string& texte) {
      while (k < uniques.size() && uniques[k] < cle) ++k;
      if (k < uniques.size()) places[k] = {textes.size(), texte.size()};
      textes += texte;
      return true;
    };
    sources_.base.storage().GetMany(sources_.absences.Name(), uniques, garder);
  } catch (const mvdb::DbError&) {
    return;  // each record is read on its own instead
  }
  cles_ = std::move(uniques);
  places_ = std::move(places);
  textes_ = std::move(textes);
  attendus_ = std::move(attendus);
}

const LecteurAbsences::Place* LecteurAbsences::Prechargee(const std::string& cle) {
  if (cle.empty()) {  // never read ahead
    if (suivant_ < attendus_.size() && attendus_[suivant_] == kHorsLot) ++suivant_;
    return nullptr;
  }
  if (suivant_ < attendus_.size() && attendus_[suivant_] != kHorsLot && cles_[attendus_[suivant_]] == cle)
    return &places_[attendus_[suivant_++]];
  const auto trouve = std::lower_bound(cles_.begin(), cles_.end(), cle);  // read out of the walk's order
  if (trouve == cles_.end() || *trouve != cle) return nullptr;
  return &places_[static_cast<std::size_t>(trouve - cles_.begin())];
}

bool LecteurAbsences::Lire(const std::string& cle) {
  lu_ = true;
  if (const Place* place = Prechargee(cle)) {
    if (place->taille == kAbsent) return false;
    courant_.Viser(std::string_view(textes_).substr(place->debut, place->taille));
    return true;
  }
  try {
    // The text alone: the storage's own read, without parsing it into a DynArray.
    if (!sources_.absences.IsOpen()) sources_.absences.Find(cle);  // throws why
    const auto texte = sources_.base.storage().Get(sources_.absences.Name(), cle);
    if (!texte) return false;
    courant_.Charger(*texte);
  } catch (const mvdb::DbError&) {
    // Resumed: the previous record stays current.
  }
  return true;
}

void LecteurAbsences::Terminer() {
  if (lu_) sources_.enregAbsence = mvdb::DynArray(courant_.Texte());
}

}  // namespace morvane::control
