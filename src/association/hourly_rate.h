// The association's server routines: the hourly rate of a contract that holds
// none, from its collective-agreement grid or the legal minimum wage.
#pragma once

#include "mvdb/dynarray.h"
#include "mvdb/routines.h"

namespace mvdb {
class Database;
}

namespace morvane::association {

/// Registers the association's routines ("CALCCOEFFTXHOR") in a database's
/// registry. Every program that opens the association's database calls it
/// once, right after opening.
void RegisterAssociationRoutines(mvdb::RoutineRegistry& registry);

/// "CALCCOEFFTXHOR": the hourly rate of a contract that holds none.
/// Arguments: 1 contract key (CONTRAT), 2 position of the contract's last rate
/// value (digits), 3 year and month yyyymm. Answer: 1 where the rate comes from
/// ("GRILLE" or "SMIC"), 2 the hourly rate x 1000, 3 the yyyymm from which that
/// rate applies. The rate is the one of the contract's collective-agreement
/// grid (GRILLESCC keyed by CONTRAT attribute 20; attribute 10 holds the grid's
/// hourly rates x 1000, attribute 11 in parallel the yyyymm from which each
/// applies) in force that month; without a grid, or without a positive grid
/// rate in force, it is the legal minimum hourly wage of that month. Throws
/// kRoutineFailed naming the bad argument or the missing contract.
mvdb::DynArray CalcCoeffTxHor(mvdb::Database& db, const mvdb::DynArray& arguments);

/// The legal minimum gross hourly wage in thousandths of a euro in force in
/// month yyyymm (the earliest known rate for months before the table).
int LegalMinimumHourlyRate(int yyyymm);

}  // namespace morvane::association
