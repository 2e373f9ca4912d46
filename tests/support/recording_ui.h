// RecordingUiServices: a UiServices for tests that shows nothing and keeps a
// record of every call, so a test can assert which messages the control showed
// and how it handled the busy pointer.
#pragma once

#include <QDate>
#include <QString>
#include <utility>
#include <vector>

#include "services/ui_services.h"

namespace morvane::services {

class RecordingUiServices : public UiServices {
 public:
  /// One call of the recorder, in order (messages, busy changes, event pumps, beeps).
  struct Call {
    enum class Kind { Message, Busy, ProcessEvents, Beep } kind;
    QString text;                       ///< Message: the text
    MsgIcon icon = MsgIcon::Information;  ///< Message: the icon
    bool busy = false;                  ///< Busy: the state asked for
  };

  /// `today` fixes Today(); an invalid date means TodayFromEnvironment().
  explicit RecordingUiServices(QDate today = {}) : today_(today) {}

  void MsgBox(const QString& text, MsgIcon icon) override {
    messages_.emplace_back(text, icon);
    calls_.push_back({Call::Kind::Message, text, icon, false});
  }
  void SetBusy(bool busy) override {
    busy_ = busy;
    calls_.push_back({Call::Kind::Busy, {}, MsgIcon::Information, busy});
  }
  void ProcessEvents() override {
    ++processEventsCount_;
    calls_.push_back({Call::Kind::ProcessEvents, {}, MsgIcon::Information, busy_});
  }
  void Beep() override {
    ++beeps_;
    calls_.push_back({Call::Kind::Beep, {}, MsgIcon::Information, false});
  }
  QDate Today() const override { return today_.isValid() ? today_ : TodayFromEnvironment(); }

  /// Messages shown so far, in order, with their icons.
  const std::vector<std::pair<QString, MsgIcon>>& Messages() const { return messages_; }
  /// Texts of the messages shown so far.
  std::vector<QString> MessageTexts() const {
    std::vector<QString> texts;
    texts.reserve(messages_.size());
    for (const auto& m : messages_) texts.push_back(m.first);
    return texts;
  }
  /// Every call in order.
  const std::vector<Call>& Calls() const { return calls_; }
  /// The busy state last asked for (false initially).
  bool IsBusy() const { return busy_; }
  int ProcessEventsCount() const { return processEventsCount_; }
  int Beeps() const { return beeps_; }
  void SetToday(QDate today) { today_ = today; }
  /// Forgets everything recorded so far (the busy state stays).
  void Clear() {
    messages_.clear();
    calls_.clear();
    processEventsCount_ = 0;
    beeps_ = 0;
  }

 private:
  QDate today_;
  std::vector<std::pair<QString, MsgIcon>> messages_;
  std::vector<Call> calls_;
  bool busy_ = false;
  int processEventsCount_ = 0;
  int beeps_ = 0;
};

}  // namespace morvane::services
