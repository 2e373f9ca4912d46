#include "support/recording_printer.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace morvane::services {

namespace {

/// Hands every call on to a printer owned elsewhere (the list's recorder).
class ForwardingPrinter : public Printer {
 public:
  explicit ForwardingPrinter(Printer& target) : t_(target) {}
  QString DeviceName() const override { return t_.DeviceName(); }
  void SetFontName(const QString& name) override { t_.SetFontName(name); }
  QString FontName() const override { return t_.FontName(); }
  void SetFontSize(double points) override { t_.SetFontSize(points); }
  double FontSize() const override { return t_.FontSize(); }
  void SetFontBold(bool bold) override { t_.SetFontBold(bold); }
  bool FontBold() const override { return t_.FontBold(); }
  void SetFontUnderline(bool underline) override { t_.SetFontUnderline(underline); }
  bool FontUnderline() const override { return t_.FontUnderline(); }
  void SetCurrentX(double twips) override { t_.SetCurrentX(twips); }
  double CurrentX() const override { return t_.CurrentX(); }
  void SetCurrentY(double twips) override { t_.SetCurrentY(twips); }
  double CurrentY() const override { return t_.CurrentY(); }
  void SetDrawWidth(int width) override { t_.SetDrawWidth(width); }
  int DrawWidth() const override { return t_.DrawWidth(); }
  void SetOrientation(int orientation) override { t_.SetOrientation(orientation); }
  int Orientation() const override { return t_.Orientation(); }
  void Print(const QString& text, bool continuation) override { t_.Print(text, continuation); }
  void Line(double x1, double y1, double x2, double y2) override { t_.Line(x1, y1, x2, y2); }
  void PaintPicture(const QImage& p, double x, double y, double w, double h) override { t_.PaintPicture(p, x, y, w, h); }
  void FillRect(double x, double y, double w, double h, const QColor& c, Qt::BrushStyle s) override {
    t_.FillRect(x, y, w, h, c, s);
  }
  double TextWidth(const QString& text) const override { return t_.TextWidth(text); }
  double TextHeight(const QString& text) const override { return t_.TextHeight(text); }
  double ScaleWidth() const override { return t_.ScaleWidth(); }
  double ScaleHeight() const override { return t_.ScaleHeight(); }
  void NewPage() override { t_.NewPage(); }
  void EndDoc() override { t_.EndDoc(); }
  int PageCount() const override { return t_.PageCount(); }

 private:
  Printer& t_;
};

}  // namespace

RecordingPrinter::RecordingPrinter(QString deviceName) : PagedPrinter(std::move(deviceName)) {}

// An op without a job or page belongs to the current page; one drawn before
// the first page belongs to the next job.
void RecordingPrinter::Record(PrintOp op) {
  if (op.job == 0) op.job = JobActive() ? jobs_ : jobs_ + 1;
  if (op.page == 0) op.page = CurrentPage();
  ops_.push_back(std::move(op));
}

bool RecordingPrinter::Matches(const PrintOp& op, PrintOp::Kind kind, int page, int job) const {
  return op.kind == kind && (page == 0 || op.page == page) && (job == 0 || op.job == job);
}

std::vector<PrintOp> RecordingPrinter::Of(PrintOp::Kind kind, int page, int job) const {
  std::vector<PrintOp> found;
  std::copy_if(ops_.begin(), ops_.end(), std::back_inserter(found),
               [&](const PrintOp& op) { return Matches(op, kind, page, job); });
  return found;
}

const PrintOp* RecordingPrinter::FindText(const QString& needle, int page, int job) const {
  for (const auto& op : ops_) {
    if (Matches(op, PrintOp::Kind::Text, page, job) && op.text.contains(needle)) return &op;
  }
  return nullptr;
}

QStringList RecordingPrinter::Dump(int page, int job) const {
  const auto at = [](double x, double y) { return QStringLiteral("%1,%2").arg(qRound64(x)).arg(qRound64(y)); };
  QStringList lines;
  for (const auto& op : ops_) {
    if ((page != 0 && op.page != page) || (job != 0 && op.job != job)) continue;
    switch (op.kind) {
      case PrintOp::Kind::Text:
        lines << QStringLiteral("T %1 %2 %3%4%5 |%6|")
                     .arg(at(op.x, op.y), op.fontName)
                     .arg(op.fontSize)
                     .arg(op.bold ? QStringLiteral(" b") : QString(), op.underline ? QStringLiteral(" u") : QString(),
                          op.text);
        break;
      case PrintOp::Kind::Line:
        lines << QStringLiteral("L %1-%2 w%3").arg(at(op.x, op.y), at(op.x2, op.y2)).arg(op.drawWidth);
        break;
      case PrintOp::Kind::Picture:
        lines << QStringLiteral("P %1 %2x%3").arg(at(op.x, op.y)).arg(op.width).arg(op.height);
        break;
      case PrintOp::Kind::Fill:
        lines << QStringLiteral("F %1 %2x%3 %4 %5")
                     .arg(at(op.x, op.y))
                     .arg(op.width)
                     .arg(op.height)
                     .arg(op.color.name())
                     .arg(static_cast<int>(op.brush));
        break;
      default:
        break;
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
  for (const auto& op : ops_) {
    if (op.job == job && op.kind == PrintOp::Kind::NewPage) orientations.push_back(op.orientation);
  }
  return orientations;
}

int RecordingPrinter::PagesOfJob(int job) const { return static_cast<int>(PageOrientations(job).size()); }

// Page starts are recorded as NewPage ops (page 1 included) carrying the
// page's orientation, so PageOrientations sees every page.
void RecordingPrinter::BeginJob(int orientation) {
  ++jobs_;
  Record({.kind = PrintOp::Kind::NewPage, .job = jobs_, .page = 1, .orientation = orientation});
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

void RecordingPrinter::FinishJob() {
  ++endDocs_;
  Record({.kind = PrintOp::Kind::EndDoc});
}

QSizeF RecordingPrinter::PageSizeTwips(int orientation) const {
  return orientation == kLandscape ? QSizeF(kPageHeight, kPageWidth) : QSizeF(kPageWidth, kPageHeight);
}

void RecordingPrinter::OrientationChanged(int orientation) {
  Record({.kind = PrintOp::Kind::Orientation, .orientation = orientation});
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
  return std::make_unique<ForwardingPrinter>(Recorder(info.name));
}

}  // namespace morvane::services
