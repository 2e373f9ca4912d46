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

bool LecteurAbsences::Lire(const std::string& cle) {
  lu_ = true;
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
