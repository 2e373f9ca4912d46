#include "services/printer_list.h"

#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStringList>
#include <stdexcept>

namespace morvane::services {

namespace {

// A file name made of the printer's name: letters, digits, '-' and '_' kept.
std::filesystem::path DefaultFileFor(const QString& name, const std::filesystem::path& pdfOutput) {
  QString stem = name;
  static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_-]+"));
  stem.replace(unsafe, QStringLiteral("_"));
  const std::filesystem::path folder = pdfOutput.has_parent_path() ? pdfOutput.parent_path() : std::filesystem::path(".");
  return folder / (stem.toStdString() + ".pdf");
}

// Reads MORVANE_PRINTERS: "name=path.pdf;name2=path2.pdf". A name without a
// path writes next to the default PDF, in a file named after the printer.
std::vector<PrinterInfo> DeclaredPrinters(const std::filesystem::path& pdfOutput) {
  std::vector<PrinterInfo> printers;
  const QString declared = qEnvironmentVariable("MORVANE_PRINTERS");
  for (const QString& entry : declared.split(u';', Qt::SkipEmptyParts)) {
    const qsizetype eq = entry.indexOf(u'=');
    const QString name = (eq < 0 ? entry : entry.left(eq)).trimmed();
    const QString path = eq < 0 ? QString() : entry.mid(eq + 1).trimmed();
    if (name.isEmpty()) continue;
    const std::filesystem::path file = path.isEmpty() ? DefaultFileFor(name, pdfOutput) : std::filesystem::path(path.toStdString());
    printers.push_back(PrinterInfo{name, PrinterInfo::Kind::Pdf, file});
  }
  return printers;
}

}  // namespace

std::unique_ptr<PrinterList> PrinterList::FromPlatform(const std::filesystem::path& pdfOutput) {
  std::vector<PrinterInfo> printers;
  for (const QPrinterInfo& info : QPrinterInfo::availablePrinters()) {
    printers.push_back(PrinterInfo{info.printerName(), PrinterInfo::Kind::System, {}});
  }
  printers.push_back(PrinterInfo{QStringLiteral("PDF"), PrinterInfo::Kind::Pdf, pdfOutput});
  for (auto& declared : DeclaredPrinters(pdfOutput)) printers.push_back(std::move(declared));
  return std::make_unique<PrinterList>(std::move(printers));
}

PrinterList::PrinterList(std::vector<PrinterInfo> printers) : printers_(std::move(printers)) {}

PrinterList::~PrinterList() = default;

int PrinterList::Count() const { return static_cast<int>(printers_.size()); }

const PrinterInfo& PrinterList::At(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("printer index " + std::to_string(index) + " out of range");
  return printers_[static_cast<std::size_t>(index)];
}

int PrinterList::IndexOf(const QString& name) const {
  for (int i = 0; i < Count(); ++i) {
    if (printers_[static_cast<std::size_t>(i)].name.compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

void PrinterList::Add(PrinterInfo info) { printers_.push_back(std::move(info)); }

void PrinterList::SetOutputFile(int index, const std::filesystem::path& file) {
  At(index);  // checks the index
  printers_[static_cast<std::size_t>(index)].outputFile = file;
}

void PrinterList::SetCurrent(int index) {
  const PrinterInfo& info = At(index);
  current_.reset();  // ends any unfinished job of the previous printer first
  current_ = Create(info);
}

Printer& PrinterList::Current() {
  if (!current_) throw PrinterError("Aucune imprimante n'a été choisie");
  return *current_;
}

bool PrinterList::HasCurrent() const { return current_ != nullptr; }

std::unique_ptr<Printer> PrinterList::Create(const PrinterInfo& info) {
  switch (info.kind) {
    case PrinterInfo::Kind::System: return MakeQtPrinter(info.name, {}, info.name);
    case PrinterInfo::Kind::Pdf: return MakeQtPrinter(info.name, info.outputFile);
    case PrinterInfo::Kind::Recording: break;  // made by the list of the test that declares it
  }
  throw PrinterError("Type d'imprimante inconnu : " + info.name.toStdString());
}

}  // namespace morvane::services
