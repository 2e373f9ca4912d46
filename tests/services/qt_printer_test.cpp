// The real print surface: a PDF written through MakeQtPrinter, checked with
// poppler's pdftotext (word boxes in points) where the tool is installed.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSizeF>

#include "support/pdf_text.h"
#include "services/printer_list.h"

namespace morvane::services {
namespace {

constexpr double kCm = 567.0;
constexpr double kMmInTwips = 56.7;
constexpr double kMarge = 360;  // the PDF printer's unprintable margin: positions start there

struct PdfWord {
  int page = 0;
  double x = 0, y = 0;  // top-left corner, twips
  QString text;
};

struct PdfLayout {
  std::vector<QSizeF> pages;  // twips
  std::vector<PdfWord> words;
  const PdfWord* Find(const QString& text) const {
    for (const auto& w : words) {
      if (w.text == text) return &w;
    }
    return nullptr;
  }
};

// Runs `pdftotext -bbox` and reads its page sizes and word boxes.
std::optional<PdfLayout> ReadLayout(const QString& pdf) {
  const std::optional<QString> text = morvane::testing::PdfText(pdf.toStdString(), {QStringLiteral("-bbox")});
  if (!text || text->isEmpty()) return std::nullopt;
  const QString& html = *text;

  PdfLayout layout;
  static const QRegularExpression tag(
      QStringLiteral("<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|"
                     "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"[\\d.]+\">([^<]*)</word>"));
  for (auto it = tag.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    if (!m.captured(1).isEmpty()) {
      layout.pages.push_back(QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) * 20);
    } else {
      layout.words.push_back({static_cast<int>(layout.pages.size()), m.captured(3).toDouble() * 20,
                              m.captured(4).toDouble() * 20, m.captured(5)});
    }
  }
  return layout;
}

// Draws the test page: two portrait text lines, underline and bold, a frame,
// then a landscape page.
void DrawTestDocument(Printer& p) {
  p.SetFontName(QStringLiteral("Courier New"));
  p.SetFontSize(10);
  p.SetCurrentX(2 * kCm);
  p.SetCurrentY(3 * kCm);
  p.Print(QStringLiteral("ALPHA"), true);
  p.Print(QStringLiteral(" BRAVO"));  // continuation: right after ALPHA
  p.SetCurrentX(2 * kCm);
  p.SetFontUnderline(true);
  p.Print(QStringLiteral("Secteur"), true);
  p.SetFontUnderline(false);
  p.SetFontBold(true);
  p.Print(QStringLiteral(" GRAS"));
  p.SetFontBold(false);
  p.SetDrawWidth(3);
  p.Line(1 * kCm, 5.1 * kCm, 19 * kCm, 5.1 * kCm);
  p.Line(1 * kCm, 5.1 * kCm, 1 * kCm, 8 * kCm);
  p.SetDrawWidth(1);
  p.Line(7.5 * kCm, 5.1 * kCm, 7.5 * kCm, 8 * kCm);
  QImage picture(60, 20, QImage::Format_RGB32);
  picture.fill(Qt::darkGray);
  p.PaintPicture(picture, 5500, 9 * kCm, 3400, 1000);
  p.NewPage();
  p.SetOrientation(kLandscape);
  p.SetFontSize(14);
  p.SetCurrentX(20 * kCm);
  p.SetCurrentY(2 * kCm);
  p.Print(QStringLiteral("PAYSAGE"));
  p.EndDoc();
}

TEST(QtPrinter, PdfTextSitsWhereTheTwipsSay) {
  const QString pdf = QStringLiteral(MORVANE_BINARY_DIR "/services_test_page.pdf");
  QFile::remove(pdf);
  auto printer = MakeQtPrinter(QStringLiteral("PDF"), pdf.toStdString());
  DrawTestDocument(*printer);
  EXPECT_EQ(printer->PageCount(), 2);
  ASSERT_TRUE(QFileInfo::exists(pdf));

  const auto layout = ReadLayout(pdf);
  if (!layout) GTEST_SKIP() << "pdftotext is not available";
  ASSERT_EQ(layout->pages.size(), 2u);
  EXPECT_NEAR(layout->pages[0].width(), 11906, 10);
  EXPECT_NEAR(layout->pages[0].height(), 16838, 10);
  EXPECT_GT(layout->pages[1].width(), layout->pages[1].height()) << "page 2 is landscape";

  // The text's top is at CurrentY; a continuation goes on after 0.6 em a
  // character; a line of Courier New 10 is 227 twips.
  const std::tuple<const char*, int, double, double> words[] = {
      {"ALPHA", 1, 2 * kCm, 3 * kCm}, {"BRAVO", 1, 2 * kCm + 6 * 120, 3 * kCm},
      {"Secteur", 1, 2 * kCm, 3 * kCm + 227}, {"PAYSAGE", 2, 20 * kCm, 2 * kCm}};
  for (const auto& [text, page, x, y] : words) {
    const PdfWord* word = layout->Find(QString::fromLatin1(text));
    ASSERT_NE(word, nullptr) << text;
    EXPECT_EQ(word->page, page) << text;
    EXPECT_NEAR(word->x, kMarge + x, kMmInTwips) << text;
    EXPECT_NEAR(word->y, kMarge + y, kMmInTwips) << text;
  }
}

TEST(QtPrinter, APrinterWithoutFileOrUnknownFailsWithPrinterError) {
  EXPECT_THROW(MakeQtPrinter(QStringLiteral("PDF"), {}), PrinterError);
  EXPECT_THROW(MakeQtPrinter(QStringLiteral("X"), {}, QStringLiteral("no such printer here")), PrinterError);
}

}  // namespace
}  // namespace morvane::services
