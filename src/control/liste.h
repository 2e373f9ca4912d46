// The printed absence list, apart from the form: page geometry, headers, page
// breaks and the three-line block of each absence, printed on a print
// surface from the result rows and the criteria the form showed. The user's
// sector rights decide which carers print.
#pragma once

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>

#include "control/criteres.h"
#include "control/fichiers.h"
#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::services {
class OutilsDate;
class Printer;
}  // namespace morvane::services

namespace morvane::control {

/// An observation on one printed line: its first 31 characters with CR LF
/// rewritten as " | " and any other CR or LF dropped.
QString ObservationSurUneLigne(const QString& observation);

class ListeAbsences {
 public:
  /// What the list needs besides the rows; every reference must outlive the
  /// list. `progres` is told of each new page (may be empty).
  struct Contexte {
    const Criteres& criteres;
    const Fichiers& fichiers;  ///< civil, secteurs, tables, absences
    services::Printer& printer;
    const services::DroitsFichier& droits;
    services::OutilsDate& dates;
    QDate aujourdhui;
    std::int16_t unCm = 567;
    std::function<void(const QString&)> progres;
  };
  explicit ListeAbsences(Contexte contexte);

  /// Select_Impression: prints one copy of the list of `resultat` (rows up to
  /// the first empty column 1). The page is left open: the caller starts the
  /// next copy with NewPage and ends the job with EndDoc. A carer the user
  /// may not see prints no block, counts no line, never opens nor heads a
  /// page; with no visible row at all, one page with an empty table. Throws
  /// DbError when a carer, a sector or the reason table is missing,
  /// std::overflow_error past 32767 pages, PrinterError from the printer.
  void Select_Impression(const mvdb::DynArray& resultat);

 private:
  void Entete_Page();
  void Entete_Detail();
  void Entete_Tableau();
  void Verif_Ligne();
  void New_Page();
  void Edition_Fin_Tableau();
  void Imprime_Detail();
  /// Reads the carer of the current row; true when the user may see it.
  bool LireAidant();

  Contexte ctx_;
  const mvdb::DynArray* resultat_ = nullptr;
  std::int16_t NoPage = 0;       // current page number
  double NoLigne = 0;            // line counter of the page, in text lines
  std::int32_t IndLigne = 0;     // current row
  QString CleRupture;            // group key of the page (sector code or town)
  std::int32_t NbLignesMax = 0;  // page-break threshold for NoLigne (30 or 50)
  mvdb::DynArray enregCivil_;    // the current row's carer
};

}  // namespace morvane::control
