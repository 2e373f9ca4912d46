// UiServices: the platform's user-interface facilities the control uses
// (message boxes, hourglass pointer, pending events, beep, today's date).
#pragma once

#include <QDate>
#include <QString>
#include <memory>
#include <vector>

class QMessageBox;
class QWidget;

namespace morvane::services {

/// Icon of a message box. Every box has the title "Message QUENTARIS" and a
/// single OK button; no answer is read back.
enum class MsgIcon { Exclamation, Information, Critical };

/// Interface; implementations: QtUiServices (real windows), BatchUiServices
/// (messages to standard error, for `morvane report`), RecordingUiServices (tests).
class UiServices {
 public:
  virtual ~UiServices() = default;
  /// Shows a modal message box titled "Message QUENTARIS" with one OK button.
  virtual void MsgBox(const QString& text, MsgIcon icon) = 0;
  /// Hourglass pointer on (true) or back to the default (false). A state, not a
  /// counter: "busy" twice then "not busy" once gives the default pointer back,
  /// and "not busy" when not busy does nothing.
  virtual void SetBusy(bool busy) = 0;
  /// Lets pending window messages be processed (user input excluded while the
  /// control's surface is disabled).
  virtual void ProcessEvents() = 0;
  virtual void Beep() = 0;
  /// Today's date; MORVANE_TODAY=yyyy-mm-dd in the environment fixes it.
  virtual QDate Today() const = 0;
  /// How far a long step has come ("480 absences sélectionnées", "liste :
  /// page 3"). Shown only where someone watches it go (the batch mode on a
  /// terminal); by default nothing is shown.
  virtual void Progress(const QString& step) { (void)step; }
};

/// Real implementation over QMessageBox / QApplication. `parent` (may be null)
/// is the window the boxes are modal to; not owned.
std::unique_ptr<UiServices> MakeQtUiServices(QWidget* parent);

/// The box MsgBox shows: titled "Message QUENTARIS", the icon, one OK button,
/// and wide enough for its whole title whatever the text's length.
std::unique_ptr<QMessageBox> MakeMessageBox(const QString& text, MsgIcon icon, QWidget* parent);

/// Non-interactive: each message goes to standard error as "Message QUENTARIS:
/// <text>"; Messages() keeps them (the batch mode's exit status uses them).
/// Progress is one line on standard error, rewritten in place, only when
/// standard error is a terminal.
class BatchUiServices : public UiServices {
 public:
  ~BatchUiServices() override { EndProgress(); }
  void MsgBox(const QString& text, MsgIcon icon) override;
  void SetBusy(bool) override {}
  void ProcessEvents() override;
  void Beep() override {}
  QDate Today() const override;
  void Progress(const QString& step) override;
  /// Clears the progress line, if one is shown, before other output.
  void EndProgress();
  /// Messages shown so far, in order, with their icons.
  const std::vector<std::pair<QString, MsgIcon>>& Messages() const { return messages_; }

 private:
  std::vector<std::pair<QString, MsgIcon>> messages_;
  bool progressShown_ = false;
};

/// Today's date as the services see it: MORVANE_TODAY when set and valid,
/// otherwise the system's date.
QDate TodayFromEnvironment();

}  // namespace morvane::services
