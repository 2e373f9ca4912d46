// The print preview: the pages an output is about to print, drawn by the same
// code as the print on a surface laid out as the chosen printer, shown in
// Qt's print preview with "Imprimer" and "Annuler".
#pragma once

#include <QDialog>
#include <QPrinter>
#include <exception>
#include <functional>
#include <memory>

#include "services/printer.h"
#include "services/printer_list.h"

class QLabel;
class QPrintPreviewWidget;

namespace morvane::services {

/// A QPrinter laid out as `info` prints: a system printer's own sheet and
/// margins, otherwise the PDF printers' A4 with quarter-inch margins at their
/// resolution. Throws PrinterError for a system printer that is gone.
std::unique_ptr<QPrinter> MakePreviewTarget(const PrinterInfo& info);

/// A surface named after `info` that draws on `target` (a preview's printer,
/// not owned, made by MakePreviewTarget) and measures text as the surface of
/// `info` does, so that its pages break where the print's will.
std::unique_ptr<Printer> MakePreviewPrinter(const PrinterInfo& info, QPrinter& target);

/// The preview window of one output on one printer. Modal to `parent`.
class PrintPreviewDialog : public QDialog {
  Q_OBJECT
 public:
  /// `paint` draws the whole output on the surface it is handed and may
  /// throw; the surface's job is ended after it. Throws PrinterError when the
  /// printer cannot be laid out.
  PrintPreviewDialog(const PrinterInfo& printer, std::function<void(Printer&)> paint, QWidget* parent = nullptr);
  ~PrintPreviewDialog() override;

  /// Draws the pages and shows them until the user chooses. Returns true for
  /// "Imprimer", false when he gives up. A failure of the drawing is thrown
  /// again here, the window closed (or never shown).
  bool Run();
  /// Pages the preview shows.
  int PageCount() const;

 private:
  void Paint(QPrinter* target);
  void ShowPageNumber();

  PrinterInfo info_;
  std::function<void(Printer&)> paint_;
  std::unique_ptr<QPrinter> target_;
  QPrintPreviewWidget* view_;  // owned by the dialog
  QLabel* pageNumber_;         // owned by the dialog
  std::exception_ptr failure_;
};

}  // namespace morvane::services
