// The real print surface: a QPainter on a QPdfWriter writing a PDF file (each
// job through an OutputFile), on a QPrinter sending the job to a system
// printer, or on the QPrinter of a print preview.
//
// Twips are measured from the top-left corner of the printable area, as on a
// classic printer object: a system printer uses its driver's unprintable
// margins, and a PDF printer behaves like a laser printer with a quarter-inch
// unprintable margin on every side (kPdfMarginMm), so that text placed at x = 0
// is not cut at the paper's edge. ScaleWidth/ScaleHeight give the printable area.
#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <filesystem>
#include <optional>

#include "services/output_file.h"
#include "services/paged_printer.h"
#include "services/print_fonts.h"
#include "services/print_preview.h"
#include "services/printer_list.h"

namespace morvane::services {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
constexpr double kTwipsPerPixel = 15.0;  // one DrawWidth unit: a pixel at 96 dpi
constexpr double kPdfMarginMm = 6.35;    // a quarter inch: 360 twips
constexpr int kPdfDpi = 1200;

QPageLayout::Orientation ToQt(int orientation) {
  return orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The sheet of the PDF printers: A4 with the quarter-inch margins.
QPageLayout PdfLayout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                     QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm), QPageLayout::Millimeter);
}

class QtPrinter : public PagedPrinter {
 public:
  QtPrinter(const QString& deviceName, std::filesystem::path pdfFile, const QString& systemPrinterName)
      : PagedPrinter(deviceName), pdfFile_(std::move(pdfFile)), systemName_(systemPrinterName) {
    if (!systemName_.isEmpty()) {
      const QPrinterInfo info = QPrinterInfo::printerInfo(systemName_);
      if (info.isNull()) throw PrinterError("Imprimante introuvable : " + systemName_.toStdString());
      system_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
      system_->setFullPage(false);
      system_->setDocName(deviceName);
    } else {
      if (pdfFile_.empty()) throw PrinterError("Imprimante PDF sans fichier de sortie : " + deviceName.toStdString());
      MeasureAsPdf();
    }
    unitsPerTwip_ = Measured()->logicalDpiY() / kTwipsPerInch;
  }

  // The preview's surface draws on `preview` (laid out by MakePreviewTarget)
  // and measures text as the printer it shows does, so that it breaks its
  // pages where the print will.
  QtPrinter(const QString& deviceName, QPrinter& preview, bool pdf) : PagedPrinter(deviceName), preview_(&preview) {
    if (pdf) MeasureAsPdf();
    unitsPerTwip_ = Measured()->logicalDpiY() / kTwipsPerInch;
  }

  ~QtPrinter() override {
    if (painter_ && painter_->isActive()) painter_->end();
  }

 protected:
  // A PDF job writes a new file under a temporary name: the file named by the
  // printer is replaced only by a complete document (see OutputFile).
  void BeginJob(int orientation) override {
    QPagedPaintDevice* device = Target();
    if (device == nullptr) {
      if (pdfFile_.has_parent_path()) {
        std::error_code ignored;  // a folder that cannot be made shows up as the file failing
        std::filesystem::create_directories(pdfFile_.parent_path(), ignored);
      }
      output_ = std::make_unique<OutputFile>(pdfFile_);
      pdf_ = std::make_unique<QPdfWriter>(&output_->Device());
      pdf_->setResolution(kPdfDpi);
      pdf_->setPageLayout(PdfLayout());
      pdf_->setTitle(DeviceName());
      device = pdf_.get();
    }
    device->setPageOrientation(ToQt(orientation));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(device)) {
      painter_.reset();
      pdf_.reset();
      output_.reset();
      const std::string target = pdf_ ? pdfFile_.string() : DeviceName().toStdString();
      throw PrinterError("Impossible d'ouvrir l'impression sur " + target);
    }
    fontApplied_ = false;
  }

  void BeginNextPage(int orientation) override {
    QPagedPaintDevice* device = Target();
    device->setPageOrientation(ToQt(orientation));
    if (device->newPage()) return;
    if (output_) output_->CheckWrites();  // the file's own reason first
    throw PrinterError("Impossible de commencer une nouvelle page sur " + DeviceName().toStdString());
  }

  void DrawText(double x, double y, const QString& text) override {
    ApplyFont();
    painter_->setPen(QPen(Qt::black));
    painter_->drawText(QPointF(ToDevice(x), ToDevice(y) + Metrics().ascent()), text);
  }

  void DrawLine(double x1, double y1, double x2, double y2, int width) override {
    QPen pen(Qt::black);
    pen.setWidthF(ToDevice(width * kTwipsPerPixel));
    pen.setCapStyle(Qt::SquareCap);
    painter_->setPen(pen);
    painter_->drawLine(QPointF(ToDevice(x1), ToDevice(y1)), QPointF(ToDevice(x2), ToDevice(y2)));
  }

  void DrawPicture(const QImage& picture, double x, double y, double width, double height) override {
    painter_->drawImage(QRectF(ToDevice(x), ToDevice(y), ToDevice(width), ToDevice(height)), picture);
  }

  void DrawFill(double x, double y, double width, double height, const QColor& color,
                Qt::BrushStyle style) override {
    painter_->fillRect(QRectF(ToDevice(x), ToDevice(y), ToDevice(width), ToDevice(height)), QBrush(color, style));
  }

  void FinishJob() override {
    const bool ok = painter_->end();
    painter_.reset();
    pdf_.reset();
    const std::unique_ptr<OutputFile> output = std::move(output_);
    if (!ok) throw PrinterError("L'impression sur " + DeviceName().toStdString() + " n'a pas pu être terminée");
    if (output) output->Commit();
  }

  double LineHeightTwips() const override { return Metrics().lineSpacing() / unitsPerTwip_; }
  double TextAdvanceTwips(const QString& text) const override { return Metrics().horizontalAdvance(text) / unitsPerTwip_; }

  QSizeF PageSizeTwips(int orientation) const override {
    QPageLayout layout = preview_ ? preview_->pageLayout() : system_ ? system_->pageLayout() : PdfLayout();
    layout.setOrientation(ToQt(orientation));
    const QRectF sheet = layout.paintRect(QPageLayout::Point);
    return {sheet.width() * kTwipsPerPoint, sheet.height() * kTwipsPerPoint};
  }

  void FontChanged() override {
    metrics_.reset();
    fontApplied_ = false;
  }

 private:
  double ToDevice(double twips) const { return twips * unitsPerTwip_; }

  QFont CurrentFont() const { return MakePrintFont(FontName(), FontSize(), FontBold(), FontUnderline()); }

  // The device drawn on: the system printer, the preview's printer, or the
  // PDF job's writer (null outside a job).
  QPagedPaintDevice* Target() const {
    if (system_) return system_.get();
    if (preview_ != nullptr) return preview_;
    return pdf_.get();
  }

  QPaintDevice* Measured() const {
    if (measuring_) return measuring_.get();
    if (system_) return system_.get();
    return preview_;
  }

  // Text is measured on a writer of the PDF printers' resolution that never writes.
  void MeasureAsPdf() {
    measuring_ = std::make_unique<QPdfWriter>(&nowhere_);
    measuring_->setResolution(kPdfDpi);
  }

  // Metrics of the current font on the printer's resolution, cached until the font changes.
  const QFontMetricsF& Metrics() const {
    if (!metrics_) metrics_.emplace(CurrentFont(), Measured());
    return *metrics_;
  }

  void ApplyFont() {
    if (fontApplied_) return;
    painter_->setFont(CurrentFont());
    fontApplied_ = true;
  }

  std::filesystem::path pdfFile_;
  QString systemName_;
  std::unique_ptr<QPrinter> system_;  // a system printer
  QPrinter* preview_ = nullptr;       // a preview's printer, not owned
  QBuffer nowhere_;
  std::unique_ptr<QPdfWriter> measuring_;
  std::unique_ptr<OutputFile> output_;  // the PDF job's file, between BeginJob and FinishJob
  std::unique_ptr<QPdfWriter> pdf_;     // writes into output_
  std::unique_ptr<QPainter> painter_;   // active between BeginJob and FinishJob
  double unitsPerTwip_ = 1.0;
  mutable std::optional<QFontMetricsF> metrics_;
  bool fontApplied_ = false;
};

}  // namespace

std::unique_ptr<Printer> MakeQtPrinter(const QString& deviceName, const std::filesystem::path& pdfFile,
                                       const QString& systemPrinterName) {
  return std::make_unique<QtPrinter>(deviceName, pdfFile, systemPrinterName);
}

std::unique_ptr<QPrinter> MakePreviewTarget(const PrinterInfo& info) {
  if (info.kind == PrinterInfo::Kind::System) {
    const QPrinterInfo system = QPrinterInfo::printerInfo(info.name);
    if (system.isNull()) throw PrinterError("Imprimante introuvable : " + info.name.toStdString());
    auto printer = std::make_unique<QPrinter>(system, QPrinter::HighResolution);
    printer->setFullPage(false);
    return printer;
  }
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setResolution(kPdfDpi);
  printer->setFullPage(false);
  printer->setPageLayout(PdfLayout());
  return printer;
}

std::unique_ptr<Printer> MakePreviewPrinter(const PrinterInfo& info, QPrinter& target) {
  return std::make_unique<QtPrinter>(info.name, target, info.kind != PrinterInfo::Kind::System);
}

}  // namespace morvane::services
