// Evaluator: runs a resolved query against storage, through the secondary
// indexes where they help, and returns the selected records in sort order.
#pragma once

#include <string>
#include <vector>

#include "mvdb/query/resolver.h"
#include "mvdb/query/sort_order.h"

namespace mvdb {
class Storage;
}

namespace mvdb::query {

class IndexStore;

/// How the last run found its candidates (for tests and the trace).
struct RunStats {
  bool fullScan = false;
  std::size_t candidates = 0;  ///< records read and checked
  /// The access path as the trace shows it: "scan (no index)", "scan
  /// (estimate N of M)" or "index FIELD[+FIELD...] (estimate N)".
  std::string access;
};

/// Runs plans. The condition is an OR of AND-groups. The access path is
/// chosen from the indexes' estimates (index rows counted, up to a cap): for
/// each group its most selective indexed condition; a condition written in
/// every group instead when it promises fewer keys. When some group has no
/// indexed condition, or the chosen conditions promise more than a quarter
/// of the file's records, the file is read by one scan in key order;
/// otherwise the candidates' keys are united and read in key order by a
/// batch read. Either way each record is checked against the whole condition,
/// each distinct condition at most once per record. Each run reads in one
/// read snapshot (joining an open transaction).
class Evaluator {
 public:
  /// Neither storage nor indexes are owned; both must outlive the evaluator.
  /// `useIndexes` false forces full scans (to compare both paths in tests).
  Evaluator(Storage& storage, IndexStore& indexes, bool useIndexes = true);

  /// The result-list rows of the records satisfying the plan (see
  /// RowBuilder: the key alone without `columns`), in the order of its PAR
  /// fields (see SortOrder), in key order without PAR. Throws DbError kIo on
  /// storage failure.
  std::vector<std::string> Run(const Plan& plan, const std::vector<int>& columns = {});

  const RunStats& LastStats() const { return stats_; }

 private:
  /// The sorted candidate keys; false when one scan of the file is better.
  /// Sets stats_.access.
  bool CollectCandidates(const Plan& plan, std::vector<std::string>& keys);
  std::vector<std::string> RunInSnapshot(const Plan& plan, const std::vector<int>& columns);

  Storage& storage_;
  IndexStore& indexes_;
  bool useIndexes_;
  RunStats stats_;
};

}  // namespace mvdb::query
