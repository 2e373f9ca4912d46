#include "support/recording_printer.h"

#include <algorithm>
#include <iterator>

namespace morvane::services {

RecordingPrinter::RecordingPrinter(QString deviceName, std::shared_ptr<PrintLog> log)
    : PagedPrinter(std::move(deviceName)), log_(std::move(log)) {}

// An op without a job or page belongs to the current page; one drawn before
// the first page belongs to the next job.
void RecordingPrinter::Record(PrintOp op) {
  if (op.job == 0) op.job = JobActive() ? log_->jobs : log_->jobs + 1;
  if (op.page == 0) op.page = CurrentPage();
  log_->ops.push_back(std::move(op));
}

bool RecordingPrinter::Matches(const PrintOp& op, PrintOp::Kind kind, int page, int job) const {
  return op.kind == kind && (page == 0 || op.page == page) && (job == 0 || op.job == job);
}

std::vector<PrintOp> RecordingPrinter::Of(PrintOp::Kind kind, int page, int job) const {
  std::vector<PrintOp> found;
  std::copy_if(Ops().begin(), Ops().end(), std::back_inserter(found),
               [&](const PrintOp& op) { return Matches(op, kind, page, job); });
  return found;
}

const PrintOp* RecordingPrinter::FindText(const QString& needle, int page, int job) const {
  for (const auto& op : Ops()) {
    if (Matches(op, PrintOp::Kind::Text, page, job) && op.text.contains(needle)) return &op;
  }
  return nullptr;
}

QStringList RecordingPrinter::Dump(int page, int job) const {
  const auto at = [](double x, double y) { return QStringLiteral("%1,%2").arg(qRound64(x)).arg(qRound64(y)); };
  QStringList lines;
  for (const auto& op : Ops()) {
    if ((page != 0 && op.page != page) || (job != 0 && op.job != job)) continue;
    if (op.kind == PrintOp::Kind::Text) {
      const QString marks = QString::fromLatin1(op.bold ? " b" : "") + QString::fromLatin1(op.underline ? " u" : "");
      lines << QStringLiteral("T %1 %2 %3%4 |%5|").arg(at(op.x, op.y), op.fontName).arg(op.fontSize).arg(marks, op.text);
    } else if (op.kind == PrintOp::Kind::Line) {
      lines << QStringLiteral("L %1-%2 w%3").arg(at(op.x, op.y), at(op.x2, op.y2)).arg(op.drawWidth);
    } else if (op.kind == PrintOp::Kind::Picture) {
      lines << QStringLiteral("P %1 %2x%3").arg(at(op.x, op.y)).arg(op.width).arg(op.height);
    } else if (op.kind == PrintOp::Kind::Fill) {
      lines << QStringLiteral("F %1 %2x%3 %4 %5").arg(at(op.x, op.y)).arg(op.width).arg(op.height).arg(op.color.name())
                   .arg(static_cast<int>(op.brush));
    }
  }
  return lines;
}

std::map<double, QString> RecordingPrinter::PageLines(int page, int job) const {
  std::vector<PrintOp> texts = Texts(page, job);
  std::stable_sort(texts.begin(), texts.end(), [](const PrintOp& a, const PrintOp& b) {
    return a.y != b.y ? a.y < b.y : a.x < b.x;
  });
  std::map<double, QString> lines;
  for (const auto& op : texts) lines[op.y] += op.text;
  return lines;
}

std::vector<int> RecordingPrinter::PageOrientations(int job) const {
  std::vector<int> orientations;
  for (const auto& op : Ops()) {
    if (op.job == job && op.kind == PrintOp::Kind::NewPage) orientations.push_back(op.orientation);
  }
  return orientations;
}

int RecordingPrinter::PagesOfJob(int job) const { return static_cast<int>(PageOrientations(job).size()); }

// Page starts are recorded as NewPage ops (page 1 included) carrying the
// page's orientation, so PageOrientations sees every page.
void RecordingPrinter::BeginJob(int orientation) {
  ++log_->jobs;
  Record({.kind = PrintOp::Kind::NewPage, .job = log_->jobs, .page = 1, .orientation = orientation});
}

void RecordingPrinter::BeginNextPage(int orientation) {
  Record({.kind = PrintOp::Kind::NewPage, .page = PageCount() + 1, .orientation = orientation});
}

void RecordingPrinter::DrawText(double x, double y, const QString& text) {
  Record({.kind = PrintOp::Kind::Text, .x = x, .y = y, .text = text, .fontName = FontName(), .fontSize = FontSize(),
          .bold = FontBold(), .underline = FontUnderline()});
}

void RecordingPrinter::DrawLine(double x1, double y1, double x2, double y2, int width) {
  Record({.kind = PrintOp::Kind::Line, .x = x1, .y = y1, .x2 = x2, .y2 = y2, .drawWidth = width});
}

void RecordingPrinter::DrawPicture(const QImage&, double x, double y, double width, double height) {
  Record({.kind = PrintOp::Kind::Picture, .x = x, .y = y, .width = width, .height = height});
}

void RecordingPrinter::DrawFill(double x, double y, double width, double height, const QColor& color,
                                Qt::BrushStyle style) {
  Record({.kind = PrintOp::Kind::Fill, .x = x, .y = y, .width = width, .height = height, .color = color, .brush = style});
}

void RecordingPrinter::FinishJob() { ++log_->endDocs; }

QSizeF RecordingPrinter::PageSizeTwips(int orientation) const {
  return orientation == kLandscape ? QSizeF(kPageHeight, kPageWidth) : QSizeF(kPageWidth, kPageHeight);
}

RecordingPrinterList::RecordingPrinterList(const std::vector<QString>& names) : PrinterList({}) {
  for (const QString& name : names) Add(PrinterInfo{name, PrinterInfo::Kind::Recording, {}});
}

RecordingPrinter& RecordingPrinterList::Recorder(const QString& name) {
  const QString key = name.toUpper();
  auto it = recorders_.find(key);
  if (it == recorders_.end()) {
    if (IndexOf(name) < 0) throw std::out_of_range("no printer named " + name.toStdString());
    it = recorders_.emplace(key, std::make_unique<RecordingPrinter>(At(IndexOf(name)).name)).first;
  }
  return *it->second;
}

RecordingPrinter& RecordingPrinterList::Recorder(int index) { return Recorder(At(index).name); }

std::unique_ptr<Printer> RecordingPrinterList::Create(const PrinterInfo& info) {
  if (info.kind != PrinterInfo::Kind::Recording) return PrinterList::Create(info);
  return std::make_unique<RecordingPrinter>(info.name, Recorder(info.name).log_);
}

}  // namespace morvane::services
