// The text of a PDF file as poppler's pdftotext reads it, for tests that
// compare what an output printed.
#pragma once

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>

namespace morvane::testing {

/// The UTF-8 text of `pdf` (extra pdftotext options first, e.g. "-bbox");
/// nullopt when pdftotext is not installed, "" when it cannot read the file.
inline std::optional<QString> PdfText(const std::filesystem::path& pdf, QStringList options = {}) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) return std::nullopt;
  QProcess tool;
  options << QStringLiteral("-enc") << QStringLiteral("UTF-8") << QString::fromStdString(pdf.string())
          << QStringLiteral("-");
  tool.start(QStringLiteral("pdftotext"), options);
  if (!tool.waitForFinished(30000) || tool.exitCode() != 0) return QString();
  return QString::fromUtf8(tool.readAllStandardOutput());
}

/// The pages of a PDF file written by Qt (0 when it cannot be read).
inline int PdfPages(const std::filesystem::path& pdf) {
  QFile file(QString::fromStdString(pdf.string()));
  if (!file.open(QIODevice::ReadOnly)) return 0;
  return static_cast<int>(QString::fromLatin1(file.readAll()).count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
}

}  // namespace morvane::testing
