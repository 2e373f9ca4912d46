// The real print surface: a QPainter on a QPrinter, writing a PDF file or
// sending the job to a system printer.
//
// Twips are measured from the top-left corner of the printable area, as on a
// classic printer object: a system printer uses its driver's unprintable
// margins, and a PDF printer behaves like a laser printer with a quarter-inch
// unprintable margin on every side (kPdfMarginMm), so that text placed at x = 0
// is not cut at the paper's edge. ScaleWidth/ScaleHeight give the printable area.
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QPrinterInfo>
#include <filesystem>
#include <optional>

#include "services/paged_printer.h"
#include "services/print_fonts.h"
#include "services/printer_list.h"

namespace morvane::services {

namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kTwipsPerPoint = 20.0;
constexpr double kTwipsPerPixel = 15.0;  // one DrawWidth unit: a pixel at 96 dpi
constexpr double kPdfMarginMm = 6.35;    // a quarter inch: 360 twips

QPageLayout::Orientation ToQt(int orientation) {
  return orientation == kLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

class QtPrinter : public PagedPrinter {
 public:
  QtPrinter(const QString& deviceName, std::filesystem::path pdfFile, const QString& systemPrinterName)
      : PagedPrinter(deviceName), pdfFile_(std::move(pdfFile)), systemName_(systemPrinterName) {
    if (!systemName_.isEmpty()) {
      const QPrinterInfo info = QPrinterInfo::printerInfo(systemName_);
      if (info.isNull()) throw PrinterError("Imprimante introuvable : " + systemName_.toStdString());
      printer_ = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    } else {
      if (pdfFile_.empty()) throw PrinterError("Imprimante PDF sans fichier de sortie : " + deviceName.toStdString());
      printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
      printer_->setOutputFormat(QPrinter::PdfFormat);
      printer_->setOutputFileName(QString::fromStdString(pdfFile_.string()));
      printer_->setPageSize(QPageSize(QPageSize::A4));
      printer_->setPageMargins(QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                               QPageLayout::Millimeter);
    }
    printer_->setFullPage(false);
    printer_->setDocName(deviceName);
    unitsPerTwip_ = printer_->resolution() / kTwipsPerInch;
  }

  ~QtPrinter() override {
    if (painter_ && painter_->isActive()) painter_->end();
  }

 protected:
  void BeginJob(int orientation) override {
    if (systemName_.isEmpty() && pdfFile_.has_parent_path()) {
      std::error_code ignored;  // a folder that cannot be made shows up as begin() failing
      std::filesystem::create_directories(pdfFile_.parent_path(), ignored);
    }
    printer_->setPageOrientation(ToQt(orientation));
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(printer_.get())) {
      painter_.reset();
      const std::string target = systemName_.isEmpty() ? pdfFile_.string() : systemName_.toStdString();
      throw PrinterError("Impossible d'ouvrir l'impression sur " + target);
    }
    fontApplied_ = false;
  }

  void BeginNextPage(int orientation) override {
    printer_->setPageOrientation(ToQt(orientation));
    if (!printer_->newPage()) throw PrinterError("Impossible de commencer une nouvelle page sur " + DeviceName().toStdString());
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
    if (!ok) throw PrinterError("L'impression sur " + DeviceName().toStdString() + " n'a pas pu être terminée");
  }

  double LineHeightTwips() const override { return Metrics().lineSpacing() / unitsPerTwip_; }
  double TextAdvanceTwips(const QString& text) const override { return Metrics().horizontalAdvance(text) / unitsPerTwip_; }

  QSizeF PageSizeTwips(int orientation) const override {
    QPageLayout layout = printer_->pageLayout();
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

  // Metrics of the current font on the printer's resolution, cached until the font changes.
  const QFontMetricsF& Metrics() const {
    if (!metrics_) metrics_.emplace(CurrentFont(), printer_.get());
    return *metrics_;
  }

  void ApplyFont() {
    if (fontApplied_) return;
    painter_->setFont(CurrentFont());
    fontApplied_ = true;
  }

  std::filesystem::path pdfFile_;
  QString systemName_;
  std::unique_ptr<QPrinter> printer_;
  std::unique_ptr<QPainter> painter_;  // active between BeginJob and FinishJob
  double unitsPerTwip_ = 1.0;
  mutable std::optional<QFontMetricsF> metrics_;
  bool fontApplied_ = false;
};

}  // namespace

std::unique_ptr<Printer> MakeQtPrinter(const QString& deviceName, const std::filesystem::path& pdfFile,
                                       const QString& systemPrinterName) {
  return std::make_unique<QtPrinter>(deviceName, pdfFile, systemPrinterName);
}

}  // namespace morvane::services
