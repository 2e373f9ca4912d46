// RecordingPrinter and RecordingPrinterList: print surfaces for tests that
// draw nothing and keep every operation, with positions, so that a test can
// compare what was printed where, a whole page at a time (Dump).
//
// Metrics are fixed so that positions are predictable: a text line is
// 24 twips per point of font size (240 twips at 10 pt) and every character is
// 0.6 em wide (12 twips per point: 120 twips at 10 pt), whatever the font.
// The sheet is A4: 11906 x 16838 twips in portrait, swapped in landscape.
#pragma once

#include <map>

#include <QStringList>

#include "services/paged_printer.h"
#include "services/printer_list.h"

namespace morvane::services {

/// One recorded operation. `job` counts print jobs from 1; `page` counts the
/// pages of that job from 1.
struct PrintOp {
  enum class Kind { Text, Line, Picture, Fill, NewPage };
  Kind kind = Kind::Text;
  int job = 0;
  int page = 0;
  double x = 0, y = 0;    ///< Text, Picture: top-left corner; Line: start
  double x2 = 0, y2 = 0;  ///< Line: end
  double width = 0, height = 0;  ///< Picture, Fill: the rectangle's size
  QColor color{};                ///< Fill
  Qt::BrushStyle brush = Qt::NoBrush;  ///< Fill
  QString text{};                ///< Text
  QString fontName{};            ///< Text
  double fontSize = 0;           ///< Text
  bool bold = false, underline = false;  ///< Text
  int drawWidth = 0;             ///< Line
  int orientation = 0;           ///< NewPage: the new page's
};

/// What printers sharing it recorded: every operation in order, the jobs
/// started and the jobs ended.
struct PrintLog {
  std::vector<PrintOp> ops;
  int jobs = 0, endDocs = 0;
};

class RecordingPrinter : public PagedPrinter {
 public:
  static constexpr double kPageWidth = 11906.0;   ///< A4 portrait, twips
  static constexpr double kPageHeight = 16838.0;  ///< A4 portrait, twips

  /// A printer recording into `log`, which other printers may share.
  explicit RecordingPrinter(QString deviceName = QStringLiteral("RECORDER"),
                            std::shared_ptr<PrintLog> log = std::make_shared<PrintLog>());

  /// Every operation in order.
  const std::vector<PrintOp>& Ops() const { return log_->ops; }
  /// Texts printed, lines drawn on that page (job 0 = any job), in order.
  std::vector<PrintOp> Texts(int page, int job = 0) const { return Of(PrintOp::Kind::Text, page, job); }
  std::vector<PrintOp> Lines(int page, int job = 0) const { return Of(PrintOp::Kind::Line, page, job); }
  /// The first text op containing `needle` (any page when page is 0), or null.
  const PrintOp* FindText(const QString& needle, int page = 0, int job = 0) const;
  /// The texts of one page joined by text line: y -> the texts at that y in
  /// x order, concatenated (printing with continuation makes them contiguous).
  std::map<double, QString> PageLines(int page, int job = 0) const;
  /// Every operation of one page (job 0 = any job), one line each, in order,
  /// positions in whole twips:
  ///   "T x,y <font> <size>[ b][ u] |text|", "L x,y-x2,y2 w<width>",
  ///   "P x,y <width>x<height>", "F x,y <width>x<height> <color> <style>".
  QStringList Dump(int page, int job = 0) const;
  /// Orientation of each page of that job (index 0 = page 1).
  std::vector<int> PageOrientations(int job) const;
  /// Jobs started so far, and how many were ended with EndDoc.
  int JobCount() const { return log_->jobs; }
  int EndDocCount() const { return log_->endDocs; }
  /// Number of pages of that job.
  int PagesOfJob(int job) const;

 protected:
  void BeginJob(int orientation) override;
  void BeginNextPage(int orientation) override;
  void DrawText(double x, double y, const QString& text) override;
  void DrawLine(double x1, double y1, double x2, double y2, int width) override;
  void DrawPicture(const QImage& picture, double x, double y, double width, double height) override;
  void DrawFill(double x, double y, double width, double height, const QColor& color,
                Qt::BrushStyle style) override;
  void FinishJob() override;
  double LineHeightTwips() const override { return 24.0 * FontSize(); }
  double TextAdvanceTwips(const QString& text) const override { return 12.0 * FontSize() * text.size(); }
  QSizeF PageSizeTwips(int orientation) const override;

 private:
  friend class RecordingPrinterList;
  void Record(PrintOp op);
  std::vector<PrintOp> Of(PrintOp::Kind kind, int page, int job) const;
  bool Matches(const PrintOp& op, PrintOp::Kind kind, int page, int job) const;

  std::shared_ptr<PrintLog> log_;
};

/// A printer list whose entries all record. Each entry keeps one
/// RecordingPrinter for the list's whole life: every printer the entry makes
/// records into its log (as further jobs), and a test reads it afterwards.
class RecordingPrinterList : public PrinterList {
 public:
  /// One recording entry per name, in order.
  explicit RecordingPrinterList(const std::vector<QString>& names);
  /// The recorder of entry `index`; throws std::out_of_range.
  RecordingPrinter& Recorder(int index);

 protected:
  std::unique_ptr<Printer> Create(const PrinterInfo& info) override;

 private:
  RecordingPrinter& Recorder(const QString& name);  // case-insensitive
  std::map<QString, std::unique_ptr<RecordingPrinter>> recorders_;  // by upper-cased name
};

}  // namespace morvane::services
