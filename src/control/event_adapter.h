// Event semantics of a classic event-driven form on top of Qt widgets, kept in
// one place:
//  - Change: a text field's or an editable list's text changed, by the user or
//    by code (setText / setEditText), and only when it really changed. A list's
//    text that follows a change of its selection (a pick, setCurrentIndex,
//    clearing the selection or the items) runs no Change.
//  - Click: a check box on every change of its value; an option when it
//    becomes selected; a button when pressed; a list when the user picks an
//    item (mouse, arrow keys) or when code sets the index with SetListIndex.
//  - LostFocus: the widget loses the keyboard focus to another widget of the
//    application (not when the window is deactivated or a popup opens).
//  - KeyPress: a key that types a character, Enter (13), Backspace (8) or
//    Escape (27); the procedure gets the code by reference: 0 swallows the
//    key, another code types that character instead. Enter never reaches a
//    list's own handling (it would pick a matching item).
// Changes made inside a procedure run the nested procedures at once, as the
// classic form does. A cascade deeper than kMaxNesting fails with
// std::runtime_error (handed to the guard) instead of overflowing the stack.
// The guard must let no exception out: it would unwind through Qt's signals.
#pragma once

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <unordered_map>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QWidget;

namespace morvane::control {

class EventAdapter : public QObject {
  Q_OBJECT

 public:
  using Procedure = std::function<void()>;
  using KeyProcedure = std::function<void(int& keyAscii)>;
  /// Runs one event procedure; `name` is "<Control>_<Event>". The control's
  /// guard (message box on failure) is plugged in here.
  using Guard = std::function<void(const char* name, const Procedure&)>;

  static constexpr int kMaxNesting = 64;

  /// `parent` owns the adapter. `guard` may be empty (procedures run bare).
  explicit EventAdapter(Guard guard, QObject* parent = nullptr);

  void OnChange(QLineEdit* field, const char* name, Procedure procedure);
  void OnChange(QComboBox* list, const char* name, Procedure procedure);
  void OnClick(QCheckBox* box, const char* name, Procedure procedure);
  void OnClick(QRadioButton* option, const char* name, Procedure procedure);
  void OnClick(QAbstractButton* button, const char* name, Procedure procedure);
  void OnClick(QComboBox* list, const char* name, Procedure procedure);
  void OnLostFocus(QWidget* widget, const char* name, Procedure procedure);
  void OnKeyPress(QWidget* widget, const char* name, KeyProcedure procedure);

  /// ListIndex = index from code: selects the item (its text becomes the
  /// list's text without a Change) and runs the list's Click, as the classic
  /// form does. index -1 clears the selection and runs nothing.
  void SetListIndex(QComboBox* list, int index);

  /// Depth of event procedures running now (0 outside any).
  int Nesting() const { return nesting_; }

  /// While suspended, a field's loss of focus runs no LostFocus procedure: the
  /// control disabling its surface for a long step is not the user leaving a field.
  void SuspendLostFocus(bool suspended) { lostFocusSuspended_ = suspended; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Run(const char* name, const Procedure& procedure);

  Guard guard_;
  int nesting_ = 0;
  std::unordered_map<const QComboBox*, std::pair<const char*, Procedure>> listClick_;
  std::unordered_map<const QObject*, std::pair<const char*, Procedure>> lostFocus_;
  std::unordered_map<const QObject*, std::pair<const char*, KeyProcedure>> keyPress_;
  bool lostFocusSuspended_ = false;
};

// Classic property semantics that Qt spells differently. None runs a procedure
// by itself; a change they make runs what the rules above say (SetValue on a
// different value runs the box's Click).
namespace classic {

/// Value of a check box: 0 unticked, 1 ticked, 2 grayed.
int Value(const QCheckBox* box);
/// Sets 0, 1 or 2 (grayed); the box's Click runs when the value changes.
void SetValue(QCheckBox* box, int value);
/// The control's own Enabled flag (a control in a disabled frame keeps its own).
bool Enabled(const QWidget* widget);
/// The control's own Visible flag, whatever its parents show.
bool Visible(const QWidget* widget);
/// ListIndex: the selected item, -1 when none.
int ListIndex(const QComboBox* list);
/// ListIndex = -1: no item selected and the list's text emptied, no Change.
void ClearSelection(QComboBox* list);
/// AddItem: appends an item (with its ItemData) without selecting it and
/// without touching the list's text.
void AddItem(QComboBox* list, const QString& text, const QVariant& data = {});
/// Clear: removes every item; the list's text is kept; no Change.
void Clear(QComboBox* list);
/// ItemData of item `index` as a whole number (0 when none).
int ItemData(const QComboBox* list, int index);

}  // namespace classic

}  // namespace morvane::control
