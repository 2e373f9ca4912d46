// Per-contract portions of an absence: a carer working under several
// contracts may have an absence split into portions, one per contract.
#pragma once

#include "control/selection_contrat.h"

namespace morvane::control {

/// Applies the per-contract portions of each absence unless both activity
/// types are ticked: a row is rewritten from the last fitting portion (columns
/// 1 to 4; the absence key stays in column 8) or removed when no portion fits;
/// absences without portions stay. Never throws a DbError.
void AppliquerPortions(mvdb::DynArray& resultat, const FiltreEntite& filtre, const SourcesFiltre& sources);

}  // namespace morvane::control
