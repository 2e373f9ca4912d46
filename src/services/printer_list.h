// PrinterList: the platform's printers as the control's printer choice sees
// them: the system's printers, PDF printers that write files, and declared
// virtual printers.
#pragma once

#include <QString>
#include <filesystem>
#include <memory>
#include <vector>

#include "services/printer.h"

namespace morvane::services {

/// One entry of the list.
struct PrinterInfo {
  /// Recording: a surface that records what is printed, made by a test's
  /// own list (the product's Create refuses it).
  enum class Kind { System, Pdf, Recording };
  QString name;                     ///< DeviceName; one containing "MATRIC" acts as a matrix printer
  Kind kind = Kind::Pdf;
  std::filesystem::path outputFile;  ///< Pdf: the file written at EndDoc
};

/// Owns the list and the current printer. Tests use RecordingPrinterList
/// (tests/support/recording_printer.h).
class PrinterList {
 public:
  /// The system's printers (QPrinterInfo) followed by one PDF printer named
  /// "PDF" writing to `pdfOutput`, then any printers declared in the
  /// environment variable MORVANE_PRINTERS ("name=path.pdf;name2=path2.pdf",
  /// each a PDF printer, e.g. "EPSON MATRICIELLE=/tmp/matrix.pdf").
  static std::unique_ptr<PrinterList> FromPlatform(const std::filesystem::path& pdfOutput);
  /// An explicit list (tests, batch mode).
  explicit PrinterList(std::vector<PrinterInfo> printers);
  virtual ~PrinterList();

  int Count() const;
  /// Entry by index (0-based); throws std::out_of_range.
  const PrinterInfo& At(int index) const;
  /// Index of the first printer with that name (case-insensitive), or -1.
  int IndexOf(const QString& name) const;
  void Add(PrinterInfo info);
  /// Changes the file a PDF printer writes from its next job on (the printer
  /// choice's file name). Throws std::out_of_range for a bad index.
  void SetOutputFile(int index, const std::filesystem::path& file);

  /// Makes the printer with that index the current printer (a new print job).
  /// Throws std::out_of_range for a bad index, PrinterError when it cannot be opened.
  void SetCurrent(int index);
  /// The current printer; SetCurrent must have been called (throws PrinterError otherwise).
  Printer& Current();
  bool HasCurrent() const;

 protected:
  /// Creates the surface for an entry. Throws PrinterError for the recording
  /// kind, which a test's list makes.
  virtual std::unique_ptr<Printer> Create(const PrinterInfo& info);

 private:
  std::vector<PrinterInfo> printers_;
  std::unique_ptr<Printer> current_;
};

/// A QPainter surface writing a PDF file (A4, 1200 dpi), or printing on a
/// system printer (QPrinter) when `systemPrinterName` is not empty. Throws
/// PrinterError for an empty file name or an unknown system printer. A PDF job
/// is written as an OutputFile: a file that cannot be made fails at the first
/// drawing, a write that fails at EndDoc (OutputError, the file left as it
/// was). "Courier New" is drawn in Liberation Mono.
std::unique_ptr<Printer> MakeQtPrinter(const QString& deviceName, const std::filesystem::path& pdfFile,
                                       const QString& systemPrinterName = {});

}  // namespace morvane::services
