#include "control/event_adapter.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <stdexcept>

namespace morvane::control {
namespace {

// The classic key code of a key event, or -1 when the key types nothing
// (arrows, function keys, Tab, modifiers alone).
int KeyAsciiOf(const QKeyEvent& event) {
  const QString text = event.text();
  if (text.size() != 1) return -1;
  const char16_t c = text.at(0).unicode();
  if (c == u'\t') return -1;
  return static_cast<int>(c);
}

// The list index last seen by the adapter, kept on the list itself so that the
// classic helpers below, which change lists with signals blocked, keep it true.
constexpr const char* kLastIndex = "morvaneLastIndex";
int LastIndex(const QComboBox* list) { return list->property(kLastIndex).toInt(); }
void SetLastIndex(QComboBox* list, int index) { list->setProperty(kLastIndex, index); }

QLineEdit* EditorOf(QObject* watched) {
  if (auto* list = qobject_cast<QComboBox*>(watched)) return list->lineEdit();
  return qobject_cast<QLineEdit*>(watched);
}

}  // namespace

EventAdapter::EventAdapter(Guard guard, QObject* parent) : QObject(parent), guard_(std::move(guard)) {}

void EventAdapter::Run(const char* name, const Procedure& procedure) {
  if (nesting_ >= kMaxNesting) {
    // Reported through the guard, which keeps exceptions out of Qt's signals.
    const Procedure tooDeep = [name] {
      throw std::runtime_error(std::string("event cascade too deep at ") + name +
                               ": procedures keep changing each other's controls");
    };
    if (guard_) {
      guard_(name, tooDeep);
      return;
    }
    tooDeep();
  }
  ++nesting_;
  struct Leave {
    int& depth;
    ~Leave() { --depth; }
  } leave{nesting_};
  if (guard_) {
    guard_(name, procedure);
  } else {
    procedure();
  }
}

void EventAdapter::OnChange(QLineEdit* field, const char* name, Procedure procedure) {
  // textChanged is emitted for the user's edits and for setText alike, and
  // only when the text really changes.
  connect(field, &QLineEdit::textChanged, this,
          [this, name, procedure = std::move(procedure)](const QString&) { Run(name, procedure); });
}

void EventAdapter::OnChange(QComboBox* list, const char* name, Procedure procedure) {
  SetLastIndex(list, list->currentIndex());
  // Qt updates the edit text (editTextChanged) before it reports the new
  // index; a text that follows a new selection is recognised by the index
  // having moved since the last event, and runs no Change.
  connect(list, &QComboBox::currentIndexChanged, this, [list](int index) { SetLastIndex(list, index); });
  connect(list, &QComboBox::editTextChanged, this,
          [this, list, name, procedure = std::move(procedure)](const QString&) {
            const int index = list->currentIndex();
            if (index != LastIndex(list)) {
              SetLastIndex(list, index);
              return;
            }
            Run(name, procedure);
          });
}

void EventAdapter::OnClick(QCheckBox* box, const char* name, Procedure procedure) {
  connect(box, &QCheckBox::stateChanged, this, [this, box, name, procedure = std::move(procedure)](int state) {
    // Grayed is a value set by code only: once the box leaves it, the user's
    // clicks toggle between ticked and unticked again.
    if (state != Qt::PartiallyChecked && box->isTristate()) box->setTristate(false);
    Run(name, procedure);
  });
}

void EventAdapter::OnClick(QRadioButton* option, const char* name, Procedure procedure) {
  connect(option, &QRadioButton::toggled, this, [this, name, procedure = std::move(procedure)](bool selected) {
    if (selected) Run(name, procedure);
  });
}

void EventAdapter::OnClick(QAbstractButton* button, const char* name, Procedure procedure) {
  connect(button, &QAbstractButton::clicked, this,
          [this, name, procedure = std::move(procedure)](bool) { Run(name, procedure); });
}

void EventAdapter::OnClick(QComboBox* list, const char* name, Procedure procedure) {
  listClick_[list] = {name, procedure};
  connect(list, &QComboBox::activated, this,
          [this, name, procedure = std::move(procedure)](int) { Run(name, procedure); });
  connect(list, &QObject::destroyed, this, [this, list] { listClick_.erase(list); });
}

void EventAdapter::OnLostFocus(QWidget* widget, const char* name, Procedure procedure) {
  lostFocus_[widget] = {name, std::move(procedure)};
  widget->installEventFilter(this);
  connect(widget, &QObject::destroyed, this, [this, widget] { lostFocus_.erase(widget); });
}

void EventAdapter::OnKeyPress(QWidget* widget, const char* name, KeyProcedure procedure) {
  keyPress_[widget] = {name, procedure};
  widget->installEventFilter(this);
  if (auto* list = qobject_cast<QComboBox*>(widget); list && list->lineEdit()) {
    keyPress_[list->lineEdit()] = {name, std::move(procedure)};
    list->lineEdit()->installEventFilter(this);
  }
  connect(widget, &QObject::destroyed, this, [this, widget] { keyPress_.erase(widget); });
}

void EventAdapter::SetListIndex(QComboBox* list, int index) {
  list->setCurrentIndex(index);
  if (index < 0) return;
  if (auto it = listClick_.find(list); it != listClick_.end()) Run(it->second.first, it->second.second);
}

bool EventAdapter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    // Leaving the window (a message box, another application) or opening a
    // popup is not a loss of focus on the form.
    if (!lostFocusSuspended_ && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
      if (auto it = lostFocus_.find(watched); it != lostFocus_.end()) {
        const auto [name, procedure] = it->second;
        Run(name, procedure);
      }
    }
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto it = keyPress_.find(watched);
  if (it == keyPress_.end()) return false;
  auto* keyEvent = static_cast<QKeyEvent*>(event);
  const int original = KeyAsciiOf(*keyEvent);
  if (original < 0) return false;
  int keyAscii = original;
  const auto [name, procedure] = it->second;
  Run(name, [&] { procedure(keyAscii); });
  if (keyAscii == 0) return true;  // swallowed
  QLineEdit* editor = EditorOf(watched);
  if (keyAscii != original) {
    if (editor != nullptr && keyAscii >= 32) editor->insert(QString(QChar(keyAscii)));
    return true;
  }
  // A list's own Enter handling would pick an item matching the text.
  if (keyAscii == 13 && (qobject_cast<QComboBox*>(watched) != nullptr ||
                         qobject_cast<QComboBox*>(watched->parent()) != nullptr)) {
    return true;
  }
  return false;
}

namespace classic {

int Value(const QCheckBox* box) {
  switch (box->checkState()) {
    case Qt::Checked:
      return 1;
    case Qt::PartiallyChecked:
      return 2;
    default:
      return 0;
  }
}

void SetValue(QCheckBox* box, int value) {
  box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

bool Enabled(const QWidget* widget) { return !widget->testAttribute(Qt::WA_ForceDisabled); }

bool Visible(const QWidget* widget) { return !widget->isHidden(); }

int ListIndex(const QComboBox* list) { return list->currentIndex(); }

void ClearSelection(QComboBox* list) {
  // Qt empties an editable list's text at setCurrentIndex(-1) even when no
  // item was selected, and reports it as an edit: keep the list quiet.
  const QSignalBlocker quiet(list);
  list->setCurrentIndex(-1);
  if (list->isEditable() && !list->currentText().isEmpty()) list->setEditText(QString());
  SetLastIndex(list, -1);
}

void AddItem(QComboBox* list, const QString& text, const QVariant& data) {
  const int index = list->currentIndex();
  const QString shown = list->currentText();
  const QSignalBlocker quiet(list);
  list->addItem(text, data);
  // Qt selects the first item added to an empty list; the classic list does not.
  if (list->currentIndex() != index) list->setCurrentIndex(index);
  if (list->isEditable() && list->currentText() != shown) list->setEditText(shown);
  SetLastIndex(list, list->currentIndex());
}

void Clear(QComboBox* list) {
  const QString shown = list->currentText();
  const QSignalBlocker quiet(list);
  list->clear();
  if (list->isEditable() && list->currentText() != shown) list->setEditText(shown);
  SetLastIndex(list, -1);
}

int ItemData(const QComboBox* list, int index) {
  if (index < 0 || index >= list->count()) return 0;
  return list->itemData(index).toInt();
}

}  // namespace classic
}  // namespace morvane::control
