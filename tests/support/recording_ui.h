// RecordingUiServices: a UiServices for tests that shows nothing and keeps the
// messages the control showed, the busy state it asked for and its beeps.
#pragma once

#include <utility>

#include "services/ui_services.h"

namespace morvane::services {

class RecordingUiServices : public UiServices {
 public:
  /// `today` fixes Today(); an invalid date means TodayFromEnvironment().
  explicit RecordingUiServices(QDate today = {}) : today_(today) {}

  void MsgBox(const QString& text, MsgIcon icon) override { messages_.emplace_back(text, icon); }
  void SetBusy(bool busy) override { busy_ = busy; }
  void ProcessEvents() override {}
  void Beep() override { ++beeps_; }
  QDate Today() const override { return today_.isValid() ? today_ : TodayFromEnvironment(); }

  /// Messages shown so far, in order, with their icons.
  const std::vector<std::pair<QString, MsgIcon>>& Messages() const { return messages_; }
  /// The busy state last asked for (false initially).
  bool IsBusy() const { return busy_; }
  int Beeps() const { return beeps_; }
  /// Forgets the messages and beeps so far (the busy state stays).
  void Clear() {
    messages_.clear();
    beeps_ = 0;
  }

 private:
  QDate today_;
  std::vector<std::pair<QString, MsgIcon>> messages_;
  bool busy_ = false;
  int beeps_ = 0;
};

}  // namespace morvane::services
