// The letter-type letters, apart from the form: one paid-leave information
// letter per distinct contract met in the selected absences (as
// ParcourirContrats walks them), printed in Courier New 11 on a print
// surface, a new page for every letter but the first of the copy.
#pragma once

#include <QDate>
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>

#include "control/fichiers.h"
#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::services {
class Printer;
class SignatureControl;
}  // namespace morvane::services

namespace morvane::control {

class LettresType {
 public:
  /// What the letters need besides the rows; every reference must outlive
  /// the letters.
  struct Contexte {
    const Fichiers& fichiers;
    services::Printer& printer;
    const services::DroitsFichier& droits;
    /// Ctr_Dorsany, asked for when a letter reaches its signature (it may
    /// throw when there is none: that letter then ends there).
    std::function<services::SignatureControl&()> signature;
    QDate aujourdhui;
    std::int16_t unCm = 567;
    std::function<void(const QString&)> progres;        ///< each letter started; may be empty
    std::function<void(const QImage&)> montrerSignature;  ///< the picture printed (null: none); may be empty
  };
  explicit LettresType(Contexte contexte);

  /// Lettre_Type: prints one copy of the letters of `resultat`. Failures are
  /// ignored as ParcourirContrats says (a failing statement is skipped, a
  /// failure inside a letter ends that letter), except those of the output
  /// itself (PrinterError, OutputError), which are thrown.
  void Lettre_Type(const mvdb::DynArray& resultat);

 private:
  void Imprime_Page_Lettre_Type();
  void LigneCP();

  Contexte ctx_;
  mvdb::DynArray TableNatureVoie;  // TABLES "NATUREVOIE" (street types) of this run
  mvdb::DynArray TableTitres;      // TABLES "TITRES" (titles of address) of this run
  mvdb::DynArray* civil_ = nullptr;           // the current letter's carer
  const mvdb::DynArray* contrat_ = nullptr;   // and contract
  mvdb::DynArray association_, etablissement_, convention_;
};

}  // namespace morvane::control
