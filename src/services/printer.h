// Printer: the print surface the list, the letters and the planning draw on.
// Positions are twips (1440 an inch) from the top-left corner of the printable
// area (a PDF printer keeps a quarter-inch unprintable margin); text is
// placed with its top at CurrentY. A job starts at the first drawing; see
// paged_printer.h for the page rules every surface shares.
#pragma once

#include <QBrush>
#include <QColor>
#include <QImage>
#include <QString>
#include <memory>
#include <stdexcept>

namespace morvane::services {

/// Orientation values as the control sets them.
inline constexpr int kPortrait = 1;
inline constexpr int kLandscape = 2;

/// Interface; implementations: a QPainter/QPrinter one (PDF file or system
/// printer, see printer_list.h) and RecordingPrinter (tests).
/// Errors (a file that cannot be written, a printer that refuses the job)
/// throw PrinterError.
class Printer {
 public:
  virtual ~Printer() = default;

  virtual QString DeviceName() const = 0;

  virtual void SetFontName(const QString& name) = 0;  ///< "Courier New" maps to Liberation Mono
  virtual QString FontName() const = 0;
  virtual void SetFontSize(double points) = 0;
  virtual double FontSize() const = 0;
  virtual void SetFontBold(bool bold) = 0;
  virtual bool FontBold() const = 0;
  virtual void SetFontUnderline(bool underline) = 0;
  virtual bool FontUnderline() const = 0;

  virtual void SetCurrentX(double twips) = 0;
  virtual double CurrentX() const = 0;
  virtual void SetCurrentY(double twips) = 0;
  virtual double CurrentY() const = 0;

  virtual void SetDrawWidth(int width) = 0;  ///< pen width in pixels of 1/96 inch (15 twips); below 1 counts as 1
  virtual int DrawWidth() const = 0;
  /// kPortrait or kLandscape; takes effect on the current page when nothing is
  /// drawn on it yet, otherwise from the next page.
  virtual void SetOrientation(int orientation) = 0;
  virtual int Orientation() const = 0;

  /// Prints text at (CurrentX, CurrentY). continuation = true leaves the
  /// position just after the text on the same line; false moves to the start
  /// of the next line (CurrentX = 0, CurrentY += line height of the font).
  virtual void Print(const QString& text, bool continuation = false) = 0;
  /// An empty Print: moves to the start of the next line.
  void Blank() { Print(QString(), false); }
  /// Straight black line between two absolute positions, DrawWidth wide.
  /// Leaves CurrentX/CurrentY at (x2, y2).
  virtual void Line(double x1, double y1, double x2, double y2) = 0;
  /// Draws a picture scaled into the rectangle.
  virtual void PaintPicture(const QImage& picture, double x, double y, double width, double height) = 0;
  /// Fills a rectangle, without outline, with a colour in a brush pattern
  /// (Qt::SolidPattern, Qt::BDiagPattern hatching, ...; a pattern's gaps stay
  /// unpainted). Surfaces that cannot fill draw nothing: this default.
  virtual void FillRect(double x, double y, double width, double height, const QColor& color,
                        Qt::BrushStyle style = Qt::SolidPattern) {
    (void)x, (void)y, (void)width, (void)height, (void)color, (void)style;
  }
  /// Width and height of text in the current font, in twips.
  virtual double TextWidth(const QString& text) const = 0;
  virtual double TextHeight(const QString& text = QStringLiteral("X")) const = 0;
  /// Page size in twips in the current orientation.
  virtual double ScaleWidth() const = 0;
  virtual double ScaleHeight() const = 0;

  /// Ends the current page; the next drawing starts a new one (CurrentX/Y = 0).
  virtual void NewPage() = 0;
  /// Ends the print job (writes the PDF / sends the job). Further drawing
  /// starts a new job, which for a PDF printer rewrites the same file. Without
  /// any drawing since the last EndDoc nothing is output.
  virtual void EndDoc() = 0;
  /// Pages started in the current job so far.
  virtual int PageCount() const = 0;
};

/// Failure of the print surface (file not writable, printer unavailable).
class PrinterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace morvane::services
