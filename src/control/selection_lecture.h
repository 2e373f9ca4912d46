// Reading the absence records of a filter walk: keys are read ahead in
// batches (in key order, through the engine's read-many), and a record is
// looked at through its attribute offsets instead of being parsed into a
// DynArray.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "control/selection_contrat.h"

namespace morvane::control {

/// A record's text with the offsets of its attributes: reads give what
/// DynArray's Item and DCount give on the same text.
class VueEnregistrement {
 public:
  /// Takes the record's whole text and indexes its attribute marks.
  void Charger(std::string_view texte);
  const std::string& Texte() const { return texte_; }
  /// Attribute i (from 1); empty past the end.
  std::string_view Attribut(int i) const;
  /// Value j of attribute i, sub-value marks included; empty past the end.
  std::string_view Valeur(int i, int j) const;
  /// Number of values of attribute i (0 when it is empty).
  int NombreValeurs(int i) const;

 private:
  std::string texte_;
  std::vector<std::uint32_t> debuts_;  // offset of each attribute's first byte
};

/// Reads absences for one walk of a filter. `Prevoir` reads a batch of keys
/// at once; `Lire` then serves them from memory and reads any other key on
/// its own. Reads resume after failures as LireEnReprise does: the current
/// record stays the previous one. A failing batch read is forgotten and its
/// keys are read one by one. `Terminer` leaves the last record read in the
/// absence slot (unbound to its file), as the per-row reads did.
///
/// With SourcesFiltre::absencesLues, a reader that `Garde` puts there every
/// record it reads from the file; any other reader takes its records from
/// there first.
class LecteurAbsences {
 public:
  enum class Memoire { Garde, Reprend };
  LecteurAbsences(const SourcesFiltre& sources, Memoire memoire);

  /// Reads these keys ahead (any order, repeats and empty keys allowed),
  /// replacing the previous batch.
  void Prevoir(std::vector<std::string> cles);
  /// False when the file holds no such record (the current record stays).
  bool Lire(const std::string& cle);
  const VueEnregistrement& Courant() const { return courant_; }
  /// Puts the current record into the absence slot when any was read.
  void Terminer();

  /// Keys read ahead at once: large enough to pay for a server's round trip,
  /// small enough to keep a bounded part of a large selection in memory.
  static constexpr std::size_t kLot = 4096;

 private:
  void Lu(const std::string& cle, std::string_view texte);

  const SourcesFiltre& sources_;
  const Memoire memoire_;
  VueEnregistrement courant_;
  bool lu_ = false;
  std::unordered_map<std::string, std::optional<std::string>> lot_;
};

}  // namespace morvane::control
