// PagedPrinter: the state and page logic every print surface shares (font,
// current position, pen width, orientation, lazy pages, jobs). Concrete
// surfaces only draw and measure.
//
// Conventions:
// - Positions are twips from the top-left corner of the printable area.
// - Text is placed with its top at CurrentY (its baseline one ascent lower).
// - A job starts lazily: nothing is opened until the first text, line or
//   picture. NewPage only marks the page as ended; the next page starts with
//   the next drawing, so an orientation set after NewPage (or before the first
//   drawing) applies to that page. A trailing NewPage before EndDoc adds no
//   blank page.
// - Line leaves CurrentX/CurrentY at its end point (x2, y2).
// - Text holding line breaks (CR LF, LF or CR) prints as several lines.
#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>

#include "services/printer.h"

namespace morvane::services {

class PagedPrinter : public Printer {
 public:
  explicit PagedPrinter(QString deviceName);

  QString DeviceName() const override { return deviceName_; }
  void SetFontName(const QString& name) override;
  QString FontName() const override { return fontName_; }
  void SetFontSize(double points) override;
  double FontSize() const override { return fontSize_; }
  void SetFontBold(bool bold) override;
  bool FontBold() const override { return bold_; }
  void SetFontUnderline(bool underline) override;
  bool FontUnderline() const override { return underline_; }

  void SetCurrentX(double twips) override { x_ = twips; }
  double CurrentX() const override { return x_; }
  void SetCurrentY(double twips) override { y_ = twips; }
  double CurrentY() const override { return y_; }

  void SetDrawWidth(int width) override { drawWidth_ = width < 1 ? 1 : width; }
  int DrawWidth() const override { return drawWidth_; }
  /// Values other than kLandscape count as kPortrait.
  void SetOrientation(int orientation) override;
  int Orientation() const override { return orientation_; }

  void Print(const QString& text, bool continuation = false) override;
  void Line(double x1, double y1, double x2, double y2) override;
  /// Throws PrinterError for a null picture.
  void PaintPicture(const QImage& picture, double x, double y, double width, double height) override;
  /// Fills the rectangle; leaves CurrentX/CurrentY unchanged.
  void FillRect(double x, double y, double width, double height, const QColor& color,
                Qt::BrushStyle style = Qt::SolidPattern) override;
  double TextWidth(const QString& text) const override;
  double TextHeight(const QString& text = QStringLiteral("X")) const override;
  double ScaleWidth() const override { return PageSizeTwips(orientation_).width(); }
  double ScaleHeight() const override { return PageSizeTwips(orientation_).height(); }

  void NewPage() override;
  /// Ends the job when one was started; without any drawing nothing is output.
  void EndDoc() override;
  /// Pages of the current job; after EndDoc, those of the finished job until
  /// the next job starts.
  int PageCount() const override { return pageCount_; }
  /// True between the first drawing of a job and its EndDoc.
  bool JobActive() const { return jobActive_; }

 protected:
  // ---- what a concrete surface provides (twips, current font state) ----
  /// Opens the job with its first page in that orientation. Throws PrinterError.
  virtual void BeginJob(int orientation) = 0;
  /// Ends the current page and starts the next one in that orientation.
  virtual void BeginNextPage(int orientation) = 0;
  /// Text with its top-left corner at (x, y) in the current font.
  virtual void DrawText(double x, double y, const QString& text) = 0;
  virtual void DrawLine(double x1, double y1, double x2, double y2, int width) = 0;
  virtual void DrawPicture(const QImage& picture, double x, double y, double width, double height) = 0;
  virtual void DrawFill(double x, double y, double width, double height, const QColor& color,
                        Qt::BrushStyle style) = 0;
  /// Closes the job (writes the file / sends it).
  virtual void FinishJob() = 0;
  /// Height of one text line of the current font.
  virtual double LineHeightTwips() const = 0;
  /// Advance width of single-line text in the current font.
  virtual double TextAdvanceTwips(const QString& text) const = 0;
  /// Size of the sheet in that orientation.
  virtual QSizeF PageSizeTwips(int orientation) const = 0;
  /// Called after any change of the font's name, size, bold or underline.
  virtual void FontChanged() {}
  /// Called when the orientation asked for changes (before it applies to a page).
  virtual void OrientationChanged(int /*orientation*/) {}

  /// Current page number of the job (1-based), 0 before the first drawing.
  int CurrentPage() const { return jobActive_ ? pageCount_ : 0; }

 private:
  /// Opens the job and the pending pages before anything is drawn.
  void EnsurePage();

  QString deviceName_;
  QString fontName_ = QStringLiteral("Courier New");
  double fontSize_ = 10.0;
  bool bold_ = false;
  bool underline_ = false;
  double x_ = 0.0;
  double y_ = 0.0;
  int drawWidth_ = 1;
  int orientation_ = kPortrait;
  bool jobActive_ = false;
  int pendingNewPages_ = 0;
  int pageCount_ = 0;
};

/// The lines of a text split at CR LF, LF or CR (one element for plain text).
QStringList SplitPrintLines(const QString& text);

}  // namespace morvane::services
