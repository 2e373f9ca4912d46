// Batch reading of absence records for the selection filters.
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

LecteurAbsences::LecteurAbsences(const SourcesFiltre& sources, Memoire memoire)
    : sources_(sources), memoire_(memoire) {
  courant_.Charger(sources.enregAbsence.Text());
}

void LecteurAbsences::Prevoir(std::vector<std::string> cles) {
  lot_.clear();
  std::erase(cles, std::string());  // no record has an empty key
  if (memoire_ == Memoire::Reprend && sources_.absencesLues) {
    std::erase_if(cles, [&](const std::string& cle) { return sources_.absencesLues->contains(cle); });
  }
  std::sort(cles.begin(), cles.end());
  cles.erase(std::unique(cles.begin(), cles.end()), cles.end());
  if (cles.empty() || !sources_.absences.IsOpen()) return;
  try {
    std::unordered_map<std::string, std::optional<std::string>> lot;
    lot.reserve(cles.size());
    for (const std::string& cle : cles) lot.try_emplace(cle);
    sources_.base.storage().GetMany(sources_.absences.Name(), cles,
                                    [&](const std::string& cle, const std::string& texte) {
                                      lot[cle] = texte;
                                      return true;
                                    });
    lot_ = std::move(lot);
  } catch (const mvdb::DbError&) {
    // Forgotten: each key is then read on its own, with its own failure.
  }
}

void LecteurAbsences::Lu(const std::string& cle, std::string_view texte) {
  courant_.Charger(texte);
  if (memoire_ == Memoire::Garde && sources_.absencesLues) sources_.absencesLues->insert_or_assign(cle, texte);
}

bool LecteurAbsences::Lire(const std::string& cle) {
  lu_ = true;
  if (memoire_ == Memoire::Reprend && sources_.absencesLues) {
    if (const auto it = sources_.absencesLues->find(cle); it != sources_.absencesLues->end()) {
      courant_.Charger(it->second);
      return true;
    }
  }
  if (const auto it = lot_.find(cle); it != lot_.end()) {
    if (!it->second) return false;
    Lu(cle, *it->second);
    return true;
  }
  try {
    const auto record = sources_.absences.Find(cle);
    if (!record) return false;
    Lu(cle, record->Text());
  } catch (const mvdb::DbError&) {
    // Resumed: the previous record stays current.
  }
  return true;
}

void LecteurAbsences::Terminer() {
  if (lu_) sources_.enregAbsence = mvdb::DynArray(courant_.Texte());
}

}  // namespace morvane::control
