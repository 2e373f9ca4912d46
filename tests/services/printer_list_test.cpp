// The platform's printer list: system printers, the PDF printer and the
// printers declared in MORVANE_PRINTERS.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QTemporaryDir>

#include "services/printer_list.h"
#include "support/test_environment.h"

namespace morvane::services {
namespace {

using morvane::testing::ScopedEnv;

TEST(PrinterList, PdfPrinterThenDeclaredPrintersAfterTheSystemOnes) {
  QTemporaryDir dir;
  const std::filesystem::path out = dir.path().toStdString();
  ScopedEnv declared("MORVANE_PRINTERS",
                     (QByteArray("EPSON MATRICIELLE=") + (dir.path() + "/matrix.pdf").toUtf8() + ";;Bureau 2 ; =x.pdf").constData());
  auto list = PrinterList::FromPlatform(out / "impression.pdf");

  const int pdf = list->IndexOf(QStringLiteral("pdf"));
  ASSERT_GE(pdf, 0);
  for (int i = 0; i < pdf; ++i) EXPECT_EQ(list->At(i).kind, PrinterInfo::Kind::System);
  ASSERT_EQ(list->Count(), pdf + 3);
  EXPECT_EQ(list->At(pdf).outputFile, out / "impression.pdf");
  EXPECT_EQ(list->At(pdf + 1).name, QStringLiteral("EPSON MATRICIELLE"));
  EXPECT_EQ(list->At(pdf + 1).outputFile, out / "matrix.pdf");
  EXPECT_EQ(list->At(pdf + 2).name, QStringLiteral("Bureau 2"));
  EXPECT_EQ(list->At(pdf + 2).outputFile, out / "Bureau_2.pdf") << "no path: a file named after the printer";
  EXPECT_EQ(list->IndexOf(QStringLiteral("nope")), -1);
  EXPECT_THROW(list->At(list->Count()), std::out_of_range);
}

TEST(PrinterList, CurrentPdfPrinterWritesItsFile) {
  QTemporaryDir dir;
  const std::filesystem::path file = dir.path().toStdString() + "/matrix.pdf";
  PrinterList list({PrinterInfo{QStringLiteral("EPSON MATRICIELLE"), PrinterInfo::Kind::Pdf, file}});
  EXPECT_FALSE(list.HasCurrent());
  EXPECT_THROW(list.Current(), PrinterError);
  list.SetCurrent(0);
  ASSERT_TRUE(list.HasCurrent());
  EXPECT_EQ(list.Current().DeviceName(), QStringLiteral("EPSON MATRICIELLE"));
  list.Current().Print(QStringLiteral("ligne"));
  list.Current().EndDoc();
  EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(file.string())));
}

}  // namespace
}  // namespace morvane::services
