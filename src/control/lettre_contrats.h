// The walk shared by the two letter outputs: which contracts of the selected
// absences get a paid-leave information letter, the merge's list of them, and
// the "errors ignored" statements of a letter run.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "control/fichiers.h"
#include "mvdb/dynarray.h"
#include "services/droits.h"

namespace morvane::control {

/// Runs one statement of a letter run with errors ignored: a std::exception it
/// throws is written to the log (qWarning, prefixed by `quoi`) and swallowed.
/// Returns false when the statement failed. A failure of the output itself (a
/// printer that cannot print, a file that cannot be written) is not ignored:
/// it is thrown on, so that no letter run reports done what was not written.
bool Ignorer(const char* quoi, const std::function<void()>& instruction);

/// One contract that gets a letter, with its row's carer record (shared by
/// the letters of one row: a letter may rewrite its codes as labels).
using LettreContrat = std::function<void(const std::string& cle, mvdb::DynArray& civil, const mvdb::DynArray& contrat)>;

/// Walks the rows of `resultat` (until the first empty column 1) and the
/// contract keys of each row's absence (ABSENCESAIDANT attribute 17, read
/// under the key of column 8 when the portions rewrote column 1) in order,
/// and calls `lettre` for each contract that gets a letter. A row whose carer
/// belongs to a sector `droits` does not let the user see (CIVILAIDANT
/// attribute 31) gives no letter, as the printed list leaves it out.
///
/// A key equal to the last one given a letter is passed over (so consecutive
/// absences on one contract give one letter, and a contract met again after
/// another gets another); so is a contract that cannot be read (missing, or
/// any other failure) or whose kind is "02" (agent mode). A row whose carer or
/// absence cannot be read gives no letter. A failure inside `lettre` ends that
/// letter only: it is logged and the walk goes on, the key counting as given
/// a letter. Throws only what Ignorer throws on.
void ParcourirContrats(const mvdb::DynArray& resultat, const services::DroitsFichier& droits,
                       const Fichiers& fichiers, const LettreContrat& lettre);

/// The merge's data: the keys of the contracts ParcourirContrats gives a
/// letter, joined by "|" (a contract met again after another is listed again).
QString ClesPublipostage(const mvdb::DynArray& resultat, const services::DroitsFichier& droits,
                         const Fichiers& fichiers);

}  // namespace morvane::control
