// The page logic every print surface shares, seen through the recording
// surface: positions after printing with and without continuation, line
// breaks inside a text, lines, lazy pages and their orientation, jobs.
#include <gtest/gtest.h>

#include "support/recording_printer.h"

namespace morvane::services {
namespace {

TEST(PagedPrinter, PositionsPagesAndJobs) {
  RecordingPrinter p(QStringLiteral("LASER"));
  p.EndDoc();  // nothing printed: no job at all
  EXPECT_EQ(std::tuple(p.JobCount(), p.EndDocCount(), p.PageCount()), std::tuple(0, 0, 0));
  p.SetOrientation(kLandscape);  // nothing drawn yet: applies to page 1
  EXPECT_DOUBLE_EQ(p.ScaleWidth(), RecordingPrinter::kPageHeight);
  p.SetCurrentX(567);
  p.SetCurrentY(1000);
  p.Print(QStringLiteral("Date : "), true);  // continuation: x moves on, y stays
  EXPECT_EQ(std::tuple(p.CurrentX(), p.CurrentY()), std::tuple(567 + 7 * 120.0, 1000.0));
  p.SetFontBold(true);
  p.Print(QStringLiteral("05/03/2024"));  // a line end: back to the left, one line down
  EXPECT_EQ(std::tuple(p.CurrentX(), p.CurrentY()), std::tuple(0.0, 1240.0));
  p.SetFontBold(false);
  p.SetFontSize(14);
  p.SetFontUnderline(true);
  p.SetCurrentX(100);
  p.Print(QStringLiteral("ab\r\ncd\nef"), true);  // line breaks inside: several lines
  EXPECT_EQ(std::tuple(p.CurrentX(), p.TextHeight(QStringLiteral("a\r\nb")), p.TextWidth("ABCDE")),
            std::tuple(240.0 * 14 / 10, 672.0, 5 * 168.0));
  p.SetOrientation(kPortrait);  // page 1 has text: applies from page 2
  p.SetDrawWidth(3);
  p.Line(0, 2891.7, 15309, 2891.7);  // leaves the position at its end
  EXPECT_EQ(std::tuple(p.CurrentX(), p.CurrentY()), std::tuple(15309.0, 2891.7));
  p.SetDrawWidth(0);
  EXPECT_EQ(p.DrawWidth(), 1);
  p.NewPage();
  EXPECT_EQ(std::tuple(p.CurrentY(), p.PageCount()), std::tuple(0.0, 1));  // page 2 starts with its first drawing
  EXPECT_THROW(p.PaintPicture(QImage(), 0, 0, 10, 10), PrinterError);
  p.PaintPicture(QImage(40, 20, QImage::Format_RGB32), 5500, 7200, 3400, 1000);
  p.FillRect(0, 0, 100, 100, Qt::gray, Qt::BDiagPattern);
  p.NewPage();
  p.EndDoc();  // a trailing NewPage adds no blank page
  p.NewPage();  // a NewPage before any drawing of a job leaves a blank first page
  p.Print(QStringLiteral("second job"));

  EXPECT_EQ(p.Dump(1, 1), QStringList({"T 567,1000 Courier New 10 |Date : |", "T 1407,1000 Courier New 10 b |05/03/2024|",
                                       "T 100,1240 Courier New 14 u |ab|", "T 0,1576 Courier New 14 u |cd|",
                                       "T 0,1912 Courier New 14 u |ef|", "L 0,2892-15309,2892 w3"}));
  EXPECT_EQ(p.Dump(2, 1), QStringList({"P 5500,7200 3400x1000", "F 0,0 100x100 #a0a0a4 12"}));
  EXPECT_EQ(p.PageOrientations(1), (std::vector<int>{kLandscape, kPortrait}));
  EXPECT_EQ(p.Dump(2, 2), QStringList{"T 0,0 Courier New 14 u |second job|"});
  EXPECT_EQ(std::tuple(p.JobCount(), p.EndDocCount(), p.PagesOfJob(2)), std::tuple(2, 1, 2));
}

}  // namespace
}  // namespace morvane::services
