#include "services/paged_printer.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <string>

namespace morvane::services {

QStringList SplitPrintLines(const QString& text) {
  if (!text.contains(u'\r') && !text.contains(u'\n')) return {text};
  static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
  return text.split(breaks);
}

PagedPrinter::PagedPrinter(QString deviceName) : deviceName_(std::move(deviceName)) {}

void PagedPrinter::SetFontName(const QString& name) {
  fontName_ = name;
  FontChanged();
}

void PagedPrinter::SetFontSize(double points) {
  if (points <= 0) throw PrinterError("Taille de police invalide : " + std::to_string(points));
  fontSize_ = points;
  FontChanged();
}

void PagedPrinter::SetFontBold(bool bold) {
  bold_ = bold;
  FontChanged();
}

void PagedPrinter::SetFontUnderline(bool underline) {
  underline_ = underline;
  FontChanged();
}

void PagedPrinter::SetOrientation(int orientation) {
  const int value = orientation == kLandscape ? kLandscape : kPortrait;
  if (value == orientation_) return;
  orientation_ = value;
  OrientationChanged(value);
}

void PagedPrinter::EnsurePage() {
  if (!jobActive_) {
    BeginJob(orientation_);
    jobActive_ = true;
    pageCount_ = 1;
  }
  for (; pendingNewPages_ > 0; --pendingNewPages_) {
    BeginNextPage(orientation_);
    ++pageCount_;
  }
}

void PagedPrinter::Print(const QString& text, bool continuation) {
  const QStringList lines = SplitPrintLines(text);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (i > 0) {
      x_ = 0.0;
      y_ += LineHeightTwips();
    }
    if (lines[i].isEmpty()) continue;
    EnsurePage();
    DrawText(x_, y_, lines[i]);
    x_ += TextAdvanceTwips(lines[i]);
  }
  if (!continuation) {
    x_ = 0.0;
    y_ += LineHeightTwips();
  }
}

void PagedPrinter::Line(double x1, double y1, double x2, double y2) {
  EnsurePage();
  DrawLine(x1, y1, x2, y2, drawWidth_);
  x_ = x2;
  y_ = y2;
}

void PagedPrinter::PaintPicture(const QImage& picture, double x, double y, double width, double height) {
  if (picture.isNull()) throw PrinterError("PaintPicture : image vide");
  EnsurePage();
  DrawPicture(picture, x, y, width, height);
}

void PagedPrinter::FillRect(double x, double y, double width, double height, const QColor& color,
                            Qt::BrushStyle style) {
  if (style == Qt::NoBrush || width <= 0 || height <= 0) return;
  EnsurePage();
  DrawFill(x, y, width, height, color, style);
}

double PagedPrinter::TextWidth(const QString& text) const {
  double widest = 0.0;
  for (const QString& line : SplitPrintLines(text)) widest = std::max(widest, TextAdvanceTwips(line));
  return widest;
}

double PagedPrinter::TextHeight(const QString& text) const {
  return LineHeightTwips() * static_cast<double>(SplitPrintLines(text).size());
}

void PagedPrinter::NewPage() {
  ++pendingNewPages_;
  x_ = 0.0;
  y_ = 0.0;
}

void PagedPrinter::EndDoc() {
  if (jobActive_) FinishJob();
  jobActive_ = false;
  pendingNewPages_ = 0;
  x_ = 0.0;
  y_ = 0.0;
}

}  // namespace morvane::services
