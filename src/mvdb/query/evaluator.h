// Evaluator: runs a resolved query against storage, through the secondary
// indexes where they help, and returns the selected records in sort order.
#pragma once

#include <string>
#include <vector>

#include "mvdb/query/resolver.h"

namespace mvdb {
class Storage;
}

namespace mvdb::query {

class IndexStore;

/// A selected record: its key and whole text.
struct SelectedRecord {
  std::string key;
  std::string text;
};

/// How the last run found its candidates (for tests and the trace).
struct RunStats {
  bool fullScan = false;
  std::size_t candidates = 0;  ///< records read and checked
};

/// Runs plans. The condition is an OR of AND-groups: for each group the most
/// selective indexed condition (estimated by counting index rows, up to a
/// cap) gives candidate keys; the candidates of all groups are united, read
/// once each in key order and checked against the whole condition. A condition
/// written in every group replaces the per-group choice when it promises fewer
/// keys. A group without an indexed condition means one full scan of the file
/// instead. Each run reads in one read snapshot (joining an open transaction).
class Evaluator {
 public:
  /// Neither storage nor indexes are owned; both must outlive the evaluator.
  /// `useIndexes` false forces full scans (to compare both paths in tests).
  Evaluator(Storage& storage, IndexStore& indexes, bool useIndexes = true);

  /// The records satisfying the plan, sorted by its PAR fields (R-justified
  /// fields: numbers first, numerically, then other texts; L: text, byte by
  /// byte; a field's first value is its sort value), ties broken by key; in
  /// key order without PAR. The sort holds one key per record at a time (a
  /// later field's only for records tied on the fields before it), so its
  /// memory grows with the rows, not with the number of fields. Throws
  /// DbError kIo on storage failure.
  std::vector<SelectedRecord> Run(const Plan& plan);

  const RunStats& LastStats() const { return stats_; }

 private:
  /// The sorted candidate keys; false when one scan of the file is better.
  bool CollectCandidates(const Plan& plan, std::vector<std::string>& keys);
  std::vector<SelectedRecord> RunInSnapshot(const Plan& plan);

  Storage& storage_;
  IndexStore& indexes_;
  bool useIndexes_;
  RunStats stats_;
};

}  // namespace mvdb::query
