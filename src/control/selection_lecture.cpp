// Reading absence records for the selection filters without parsing them.
#include "control/selection_lecture.h"

#include <algorithm>

#include "mvdb/errors.h"
#include "mvdb/storage.h"

namespace morvane::control {

void VueEnregistrement::Charger(std::string_view texte) {
  texte_.assign(texte);
  debuts_.clear();
  if (texte_.empty()) return;
  debuts_.push_back(0);
  for (std::size_t at = texte_.find(mvdb::kAttributeMark); at != std::string::npos;
       at = texte_.find(mvdb::kAttributeMark, at + 1)) {
    debuts_.push_back(static_cast<std::uint32_t>(at + 1));
  }
}

std::string_view VueEnregistrement::Attribut(int i) const {
  if (i < 1 || static_cast<std::size_t>(i) > debuts_.size()) return {};
  const std::size_t debut = debuts_[static_cast<std::size_t>(i - 1)];
  const std::size_t fin =
      static_cast<std::size_t>(i) < debuts_.size() ? debuts_[static_cast<std::size_t>(i)] - 1 : texte_.size();
  return std::string_view(texte_).substr(debut, fin - debut);
}

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
  cles_.clear();
  places_.clear();
  textes_.clear();
  if (!sources_.absences.IsOpen()) return;
  std::sort(cles.begin(), cles.end());
  cles.erase(std::unique(cles.begin(), cles.end()), cles.end());
  if (!cles.empty() && cles.front().empty()) cles.erase(cles.begin());  // no record has an empty key
  std::vector<Place> places(cles.size());
  std::string textes;
  try {
    std::size_t k = 0;
    sources_.base.storage().GetMany(sources_.absences.Name(), cles, [&](const std::string& cle, const std::string& texte) {
      while (k < cles.size() && cles[k] < cle) ++k;
      if (k < cles.size()) places[k] = {textes.size(), texte.size()};
      textes += texte;
      return true;
    });
  } catch (const mvdb::DbError&) {
    return;  // each record is read on its own instead
  }
  cles_ = std::move(cles);
  places_ = std::move(places);
  textes_ = std::move(textes);
}

bool LecteurAbsences::Lire(const std::string& cle) {
  lu_ = true;
  const auto trouve = std::lower_bound(cles_.begin(), cles_.end(), cle);
  if (trouve != cles_.end() && *trouve == cle) {
    const Place place = places_[static_cast<std::size_t>(trouve - cles_.begin())];
    if (place.taille == kAbsent) return false;
    courant_.Charger(std::string_view(textes_).substr(place.debut, place.taille));
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
