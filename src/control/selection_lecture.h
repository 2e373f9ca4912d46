// Reading the absence records of a filter walk: a record's text is taken from
// the storage and looked at through its attribute offsets instead of being
// parsed into a DynArray.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "control/selection_contrat.h"
#include "mvdb/query/field_reader.h"

namespace morvane::control {

/// A record's text split into attributes as far as the reads need them (the
/// engine's RecordView): reads give what DynArray's Item and DCount give on
/// the same text. Not copyable (it may point into its own copy of the text).
class VueEnregistrement {
 public:
  VueEnregistrement() = default;
  VueEnregistrement(const VueEnregistrement&) = delete;
  VueEnregistrement& operator=(const VueEnregistrement&) = delete;

  /// Takes a copy of the record's whole text.
  void Charger(std::string_view texte);
  /// Reads a text that the caller keeps alive and unchanged until the next
  /// Charger, Viser or Garder.
  void Viser(std::string_view texte);
  /// Takes a copy of the text it reads, if it does not own it yet.
  void Garder();
  std::string_view Texte() const { return texte_; }
  /// Attribute i (from 1); empty past the end.
  std::string_view Attribut(int i) const;
  /// Value j of attribute i, sub-value marks included; empty past the end.
  std::string_view Valeur(int i, int j) const;
  /// Number of values of attribute i (0 when it is empty).
  int NombreValeurs(int i) const;

 private:
  std::string copie_;
  std::string_view texte_;
  mvdb::query::RecordView vue_;  // of texte_
};

/// Reads absences for one walk of a filter, resuming after failures as
/// LireEnReprise does: the current record stays the previous one (at first,
/// the one in the absence slot). `Terminer` leaves the last record read in
/// the absence slot (unbound to its file), as the per-row reads did.
class LecteurAbsences {
 public:
  explicit LecteurAbsences(const SourcesFiltre& sources);

  /// Reads the records of `cles` (repeats allowed) at once, in key order, so
  /// that Lire then finds them in memory, at once when it asks for them in
  /// the order of `cles`. When the storage fails
  /// here, or the file is not open, nothing is kept and Lire reads each
  /// record itself (and meets the failure there, as before).
  void Precharger(std::vector<std::string> cles);
  /// False when the file holds no such record (the current record stays).
  bool Lire(const std::string& cle);
  const VueEnregistrement& Courant() const { return courant_; }
  /// Puts the current record into the absence slot when any was read.
  void Terminer();

 private:
  /// Where a record read ahead lies in textes_; taille is kAbsent when the
  /// file lacks it.
  struct Place {
    std::size_t debut = 0;
    std::size_t taille = kAbsent;
  };
  static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
  static constexpr std::uint32_t kHorsLot = static_cast<std::uint32_t>(-1);

  /// The place of a record read ahead; null when it was not.
  const Place* Prechargee(const std::string& cle);

  const SourcesFiltre& sources_;
  VueEnregistrement courant_;
  bool lu_ = false;
  std::vector<std::string> cles_;    // the keys read ahead, ascending
  std::vector<Place> places_;        // per key
  std::vector<std::uint32_t> attendus_;  // per key given, in its order: its index in cles_, or kHorsLot
  std::size_t suivant_ = 0;              // the key given that the next Lire should ask for
  std::string textes_;               // the texts read ahead, one after the other
};

}  // namespace morvane::control
