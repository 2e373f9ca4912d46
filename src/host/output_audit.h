// The audit trail of the outputs a host makes on a server database: every
// output the control completes is appended to the server's trail (the server
// records who and when), with its kind, its criteria, the number of absences
// selected and the files written.
#pragma once

#include <QObject>
#include <QStringList>
#include <string>

namespace mvdb { class Database; }
namespace morvane::control { class Ctr_Morvane; }

namespace morvane::host {

/// The criteria set on the form, in the words of `morvane report`'s options
/// ("--sick-leave --leave --sector 001 --from 01/01/2025 ...").
std::string FormCriteria(const QWidget& control);

/// Watches a control: when a press of "Imprimer" ends with the control's
/// unload request (the output was made), records the output on the
/// database's audit trail. Does nothing on an embedded database. Both objects
/// must outlive it.
class OutputAudit : public QObject {
  Q_OBJECT

 public:
  OutputAudit(control::Ctr_Morvane& control, mvdb::Database& database);

  /// Why the last output could not be recorded ("" when it was, or when the
  /// database keeps no trail).
  const std::string& Failure() const { return failure_; }

 signals:
  /// An output was made but the server did not record it; `reason` says why.
  void recordFailed(const QString& reason);

 private:
  void Record();

  control::Ctr_Morvane& control_;
  mvdb::Database& database_;
  QStringList files_;
  bool unloaded_ = false;
  std::string failure_;
};

}  // namespace morvane::host
