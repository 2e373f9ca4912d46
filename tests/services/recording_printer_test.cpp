// The recording print surface: the shared page logic (positions, lazy pages,
// orientation, jobs) and the recorder's helpers.
#include <gtest/gtest.h>

#include "services/recording_printer.h"

namespace morvane::services {
namespace {

TEST(RecordingPrinter, PrintWithContinuationAndLineEnd) {
  RecordingPrinter p;
  p.SetFontName(QStringLiteral("Courier New"));
  p.SetFontSize(10);
  p.SetCurrentX(567);
  p.SetCurrentY(1000);
  p.Print(QStringLiteral("Date : "), true);
  EXPECT_DOUBLE_EQ(p.CurrentX(), 567 + 7 * 120);
  EXPECT_DOUBLE_EQ(p.CurrentY(), 1000);
  p.Print(QStringLiteral("05/03/2024"));
  EXPECT_DOUBLE_EQ(p.CurrentX(), 0);
  EXPECT_DOUBLE_EQ(p.CurrentY(), 1240);
  p.Blank();
  EXPECT_DOUBLE_EQ(p.CurrentY(), 1480);

  const auto texts = p.Texts(1);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_DOUBLE_EQ(texts[1].x, 567 + 840);
  EXPECT_EQ(texts[1].fontName, QStringLiteral("Courier New"));
  EXPECT_EQ(p.PageLines(1).at(1000), QStringLiteral("Date : 05/03/2024"));
}

TEST(RecordingPrinter, MetricsFollowTheFontSize) {
  RecordingPrinter p;
  p.SetFontSize(14);
  EXPECT_DOUBLE_EQ(p.TextHeight(), 336);
  EXPECT_DOUBLE_EQ(p.TextWidth(QStringLiteral("ABCDE")), 5 * 168);
  EXPECT_DOUBLE_EQ(p.TextHeight(QStringLiteral("a\r\nb")), 672);
  p.SetFontSize(10);
  p.SetFontBold(true);
  p.SetFontUnderline(true);
  p.Print(QStringLiteral("X"));
  EXPECT_TRUE(p.Texts(1)[0].bold);
  EXPECT_TRUE(p.Texts(1)[0].underline);
}

TEST(RecordingPrinter, LineBreaksInsideTextPrintSeveralLines) {
  RecordingPrinter p;
  p.SetCurrentX(100);
  p.Print(QStringLiteral("ab\r\ncd\nef"), true);
  const auto texts = p.Texts(1);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_DOUBLE_EQ(texts[0].x, 100);
  EXPECT_DOUBLE_EQ(texts[1].x, 0);
  EXPECT_DOUBLE_EQ(texts[2].y, 480);
  EXPECT_DOUBLE_EQ(p.CurrentX(), 240);
}

TEST(RecordingPrinter, LineKeepsWidthAndMovesToItsEnd) {
  RecordingPrinter p;
  p.SetDrawWidth(3);
  p.Line(0, 2891.7, 15309, 2891.7);
  EXPECT_DOUBLE_EQ(p.CurrentX(), 15309);
  EXPECT_DOUBLE_EQ(p.CurrentY(), 2891.7);
  p.SetDrawWidth(0);
  EXPECT_EQ(p.DrawWidth(), 1);
  const auto lines = p.Lines(1);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].drawWidth, 3);
}

TEST(RecordingPrinter, PagesStartLazilyAndTakeTheOrientationSetBeforeTheirFirstDrawing) {
  RecordingPrinter p(QStringLiteral("LASER"));
  EXPECT_EQ(p.PageCount(), 0);
  p.SetOrientation(kLandscape);  // nothing drawn yet: applies to page 1
  EXPECT_DOUBLE_EQ(p.ScaleWidth(), RecordingPrinter::kPageHeight);
  p.Print(QStringLiteral("page 1"));
  p.SetOrientation(kPortrait);  // page 1 has text: applies from page 2
  p.Print(QStringLiteral("still page 1"));
  p.NewPage();
  EXPECT_DOUBLE_EQ(p.CurrentY(), 0);
  EXPECT_EQ(p.PageCount(), 1) << "the page after NewPage starts with its first drawing";
  p.SetOrientation(kLandscape);
  p.Print(QStringLiteral("page 2"));
  p.NewPage();
  p.EndDoc();  // a trailing NewPage adds no blank page

  EXPECT_EQ(p.PageCount(), 2);
  EXPECT_EQ(p.PageOrientations(1), (std::vector<int>{kLandscape, kLandscape}));
  ASSERT_NE(p.FindText(QStringLiteral("still"), 1), nullptr);
  EXPECT_EQ(p.FindText(QStringLiteral("page 2"))->page, 2);
  EXPECT_EQ(p.EndDocCount(), 1);
}

TEST(RecordingPrinter, EndDocEndsTheJobAndTheNextDrawingStartsAnother) {
  RecordingPrinter p;
  p.EndDoc();  // nothing printed: no job at all
  EXPECT_EQ(p.JobCount(), 0);
  EXPECT_EQ(p.EndDocCount(), 0);
  p.Print(QStringLiteral("first"));
  p.EndDoc();
  p.Print(QStringLiteral("second"));
  EXPECT_EQ(p.JobCount(), 2);
  EXPECT_EQ(p.FindText(QStringLiteral("second"))->job, 2);
  EXPECT_EQ(p.FindText(QStringLiteral("second"))->page, 1);
  EXPECT_EQ(p.Texts(1, 1).size(), 1u);
}

TEST(RecordingPrinter, NewPageBeforeAnyDrawingLeavesABlankFirstPage) {
  RecordingPrinter p;
  p.NewPage();
  p.Print(QStringLiteral("x"));
  EXPECT_EQ(p.PageCount(), 2);
  EXPECT_EQ(p.FindText(QStringLiteral("x"))->page, 2);
}

TEST(RecordingPrinter, PictureAndFillAreRecorded) {
  RecordingPrinter p;
  EXPECT_THROW(p.PaintPicture(QImage(), 0, 0, 10, 10), PrinterError);
  QImage signature(40, 20, QImage::Format_RGB32);
  p.PaintPicture(signature, 5500, 7200, 3400, 1000);
  p.FillRect(0, 0, 100, 100, Qt::gray, Qt::BDiagPattern);
  ASSERT_EQ(p.Ops().size(), 3u);  // page start, picture, fill
  EXPECT_EQ(p.Ops()[1].pictureSize, QSize(40, 20));
  EXPECT_DOUBLE_EQ(p.Ops()[1].width, 3400);
  EXPECT_EQ(p.Ops()[2].brush, Qt::BDiagPattern);
}

TEST(RecordingPrinterList, EntriesKeepTheirRecorderAcrossJobs) {
  RecordingPrinterList list({QStringLiteral("LASER"), QStringLiteral("Epson Matricielle")});
  EXPECT_EQ(list.IndexOf(QStringLiteral("epson MATRICIELLE")), 1);
  EXPECT_THROW(list.Current(), PrinterError);
  list.SetCurrent(1);
  EXPECT_EQ(list.Current().DeviceName(), QStringLiteral("Epson Matricielle"));
  list.Current().Print(QStringLiteral("copy 1"));
  list.Current().EndDoc();
  list.SetCurrent(1);
  list.Current().Print(QStringLiteral("again"));
  list.SetCurrent(0);

  RecordingPrinter& matrix = list.Recorder(1);
  EXPECT_EQ(matrix.JobCount(), 2);
  EXPECT_NE(matrix.FindText(QStringLiteral("again")), nullptr);
  EXPECT_EQ(list.Recorder(QStringLiteral("laser")).Ops().size(), 0u);
  EXPECT_THROW(list.SetCurrent(2), std::out_of_range);
}

}  // namespace
}  // namespace morvane::services
