// The printer-choice dialog behind OutilsDate::ChoixImprimante: a list of the
// printers' names and a number of copies, with OK and Cancel.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QSpinBox;

namespace morvane::services {

class PrinterChoiceDialog : public QDialog {
  Q_OBJECT
 public:
  /// `names` in the order of the printer list; `selected` is the row chosen at
  /// first (clamped into the list). The dialog is modal to `parent` (may be null).
  PrinterChoiceDialog(const QStringList& names, int selected, const QString& title, QWidget* parent = nullptr);

  /// Row of the chosen printer, or -1 when the list is empty.
  int SelectedIndex() const;
  void SetSelectedIndex(int index);
  /// Copies asked for, 1 to 99.
  int Copies() const;
  void SetCopies(int copies);

 private:
  QListWidget* list_;  // owned by the dialog
  QSpinBox* copies_;   // owned by the dialog
};

}  // namespace morvane::services
