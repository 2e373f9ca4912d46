// The printer-choice dialog behind OutilsDate::ChoixImprimante: a list of the
// printers' names, a number of copies and, for a printer that writes a PDF
// file, the file's name, with OK, Cancel and, when the output can be drawn
// beforehand, "Aperçu".
#pragma once

#include <QDateTime>
#include <QDialog>
#include <QStringList>
#include <functional>

class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QWidget;

namespace morvane::services {

/// The file name a PDF printer proposes: what is printed and when, e.g.
/// "liste-20250615-103000.pdf" for `output` "liste".
QString ProposedPdfName(const QString& output, const QDateTime& when);

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

  /// Makes `row` a printer that writes a file and proposes `path` for it; the
  /// user may change it while that row is chosen.
  void ProposeFile(int row, const QString& path);
  /// The file the chosen printer writes, as proposed or changed; "" for a
  /// printer that writes no file.
  QString ChosenFile() const;

  /// Shows "Aperçu", which runs `preview` with the printer and copies chosen
  /// so far: when it answers true (print) the dialog is accepted as by OK,
  /// otherwise it is given up as by Cancel. `preview` must not throw.
  void SetPreview(std::function<bool(int row, int copies)> preview);

  /// OK: for a printer that writes a file, refuses an empty name or a folder
  /// that does not exist, and asks before replacing an existing file ("Non"
  /// keeps the dialog open).
  void accept() override;

 private:
  void ShowFileOfRow(int row);
  void Browse();
  void Preview();

  QListWidget* list_;    // owned by the dialog
  QSpinBox* copies_;     // owned by the dialog
  QWidget* fileRow_;     // owned by the dialog: label, name and "Parcourir..."
  QLineEdit* file_;      // owned by the dialog
  QDialogButtonBox* buttons_;              // owned by the dialog
  QPushButton* previewButton_ = nullptr;  // owned by the dialog; made by SetPreview
  std::function<bool(int row, int copies)> preview_;
  QStringList files_;    // per row: the file written, "" for a printer
  int shownRow_ = -1;    // the row whose file the field shows
};

}  // namespace morvane::services
