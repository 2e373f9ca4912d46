// The planning on paper: pages in landscape with their header, legend and
// count row, bars where their half-days are, page breaks; and the control
// end to end on a small database.

#include <QTemporaryDir>
#include <algorithm>

#include "mvdb/engine_test_support.h"
#include "planning_test_support.h"
#include "services/planning_control.h"
#include "services/planning_layout.h"
#include "services/planning_painter.h"
#include "services/planning_source.h"
#include "support/recording_printer.h"

namespace morvane::services {
namespace {

using testing::AbsenceKey;
using testing::AddAbsence;
using testing::Day;
using testing::FakePlanningSource;
using mvdb::testing_support::With;

const QDate kPrinted(2025, 6, 15);

class PlanningPrintTest : public ::testing::Test {
 protected:
  PlanningPrintTest() {
    request.debutPeriode = first;
    request.finPeriode = last;
    request.conges = true;
  }
  /// Carers "00001".. with names that sort in code order.
  void AddCarers(int count, const QString& sector = "001") {
    for (int i = 1; i <= count; ++i) {
      const std::string code = QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')).toStdString();
      source.carers[QString::fromStdString(code)] = {QStringLiteral("AIDANT %1").arg(i, 3, 10, QLatin1Char('0')),
                                                     sector, "LYON"};
      AddAbsence(request.resultat, code, 12, first + i % 7, std::to_string(first + i % 7 + 1));
    }
  }
  int Paint() { return PaintPlanning(printer, BuildPlanningChart(request, source), kPrinted); }
  /// The texts of page 1 right of the names' column with `top` <= y < `bottom`, in order.
  QString DaysTexts(double top, double bottom, const QString& after = {}) const {
    QString texts;
    for (const PrintOp& text : printer.Texts(1)) {
      if (text.x >= layout.daysLeft && text.y >= top && text.y < bottom) texts += text.text + after;
    }
    return texts;
  }

  const std::int32_t first = Day(2025, 6, 2);  // a Monday
  const std::int32_t last = Day(2025, 6, 15);  // two weeks
  const PlanningLayout layout =  // of a landscape page
      ComputePlanningLayout(RecordingPrinter::kPageHeight, RecordingPrinter::kPageWidth, 14);
  PlanningRequest request;
  FakePlanningSource source;
  RecordingPrinter printer;
};

// Every page in landscape with its header, legend and count row; rows go on
// across pages, none lost or repeated; a group going on over a page break
// repeats its heading; the day header; an empty chart still prints a page.
TEST_F(PlanningPrintTest, PagesHeadersGroupsAndTheDayHeader) {
  AddCarers(layout.rowsPerPage * 2 + 3);
  request.secteur = true;
  source.sectorLabels["001"] = "NORD";
  ASSERT_EQ(Paint(), 3);
  EXPECT_EQ(printer.PageOrientations(1), std::vector<int>(3, kLandscape));
  EXPECT_EQ(printer.EndDocCount(), 0);  // the caller ends the job
  const auto Aidant = [](int n) { return QStringLiteral("AIDANT %1").arg(n, 3, 10, QLatin1Char('0')); };
  for (int page = 1; page <= 3; ++page) {
    SCOPED_TRACE(page);
    for (const QString& text : {QStringLiteral("PLANNING DES ABSENCES DU 02/06/2025 AU 15/06/2025"),
                                QStringLiteral("Imprimé le 15/06/2025"), QStringLiteral("Page %1 / 3").arg(page),
                                QStringLiteral("Légende :"), QStringLiteral("Absents par jour"),
                                QStringLiteral("Semaine du 09/06/2025"),
                                QStringLiteral("Secteur 001 - NORD") + (page > 1 ? " (suite)" : "")}) {
      EXPECT_NE(printer.FindText(text, page), nullptr) << text.toStdString();
    }
    EXPECT_NE(printer.FindText(Aidant(layout.rowsPerPage * (page - 1) + 1), page), nullptr);
    EXPECT_EQ(printer.FindText(Aidant(layout.rowsPerPage * page + 1), page), nullptr);
  }
  EXPECT_NE(printer.FindText("par secteur", 1), nullptr);
  const double numbersTop = layout.gridTop + layout.weekBandHeight + layout.dayLetterHeight;
  EXPECT_EQ(DaysTexts(layout.gridTop + layout.weekBandHeight, numbersTop) + " " +
                DaysTexts(numbersTop, layout.bodyTop, " "),
            "LMMJVSDLMMJVSD 2 3 4 5 6 7 8 9 10 11 12 13 14 15 ");

  RecordingPrinter empty;
  PlanningRequest none;
  none.debutPeriode = first;
  none.finPeriode = first + 6;
  EXPECT_EQ(PaintPlanning(empty, BuildPlanningChart(none, source), kPrinted), 1);
  EXPECT_NE(empty.FindText("0 aidants", 1), nullptr);
}

TEST_F(PlanningPrintTest, BarsCoverTheirHalfDaysAndCountsFollowTheDays) {
  // Tuesday afternoon to Thursday midday, and an open-ended stoppage from the
  // second Friday.
  source.carers["00001"] = {"MARTIN Anne", "001", ""};
  source.carers["00002"] = {"DURAND Paul", "001", ""};
  AddAbsence(request.resultat, "00001", 12, first + 1, std::to_string(first + 3), "2", "1");
  AddAbsence(request.resultat, "00002", 1, first + 11, "", "1", "");
  Paint();

  const KindFill conges = FillOf(AbsenceKind::Conges);
  const KindFill arret = FillOf(AbsenceKind::Arret);
  const PrintOp* congesBar = nullptr;
  const PrintOp* arretBar = nullptr;
  for (const PrintOp& fill : printer.Ops()) {
    if (fill.kind != PrintOp::Kind::Fill || fill.y >= layout.legendTop) continue;  // legend swatches
    if (fill.color == conges.background) congesBar = &fill;
    if (fill.color == arret.background) arretBar = &fill;
  }
  ASSERT_NE(congesBar, nullptr);
  EXPECT_NEAR(congesBar->x, layout.DayX(1) + layout.dayWidth / 2, 0.01);
  EXPECT_NEAR(congesBar->width, 2 * layout.dayWidth, 0.01);
  EXPECT_GT(congesBar->y, layout.RowTop(1));  // DURAND comes first
  ASSERT_NE(arretBar, nullptr);
  EXPECT_NEAR(arretBar->x, layout.DayX(11), 0.01);
  EXPECT_NEAR(arretBar->x + arretBar->width, layout.GridRight(), 0.01);
  // Each bar carries its type letter inside its row; the count row sits under the two rows.
  EXPECT_EQ(DaysTexts(layout.bodyTop, layout.RowTop(2)), "AC");
  EXPECT_EQ(DaysTexts(layout.RowTop(2), layout.RowTop(2) + layout.rowHeight), "01110000000111");
}

// ---- the control on a real database ----

class PlanningControlTest : public PlanningPrintTest {
 protected:
  PlanningControlTest() : printers({QStringLiteral("LASER"), QStringLiteral("AUTRE")}) {
    db = mvdb::Database::Create(std::filesystem::path(dir.path().toStdString()) / "planning.db");
    for (const char* file : {"CIVILAIDANT", "SECTEUR", "ABSENCESAIDANT"}) db->CreateFile(file);
    db->storage().Put("CIVILAIDANT", "00001", With({{2, "martin"}, {3, "Anne"}, {11, "LYON"}, {31, "001"}}));
    db->storage().Put("CIVILAIDANT", "00002", With({{2, "DURAND"}, {3, "Paul"}, {11, "LYON"}, {31, "002"}}));
    db->storage().Put("SECTEUR", "001", "NORD");
    request.database = db.get();
    request.secteur = true;
    request.printerIndex = 1;
  }

  QTemporaryDir dir;
  std::unique_ptr<mvdb::Database> db;
  RecordingPrinterList printers;
};

// On the chosen printer, the job ended; a carer not on file prints by its
// code. (The sectors a user may not see: BatchRights.)
TEST_F(PlanningControlTest, PrintsOnTheChosenPrinter) {
  AddAbsence(request.resultat, "00001", 12, first, std::to_string(first + 2));
  AddAbsence(request.resultat, "00002", 1, first + 3, std::to_string(first + 4));
  AddAbsence(request.resultat, "00077", 8, first + 3, std::to_string(first + 3));  // carer not on file
  PlanningPrintControl control(printers, [] { return kPrinted; });
  control.Imprimer(request);
  RecordingPrinter& used = printers.Recorder(1);
  EXPECT_EQ(std::tuple(used.EndDocCount(), printers.Recorder(0).JobCount(), control.LastPageCount()),
            std::tuple(1, 0, 1));
  for (const char* text : {"MARTIN Anne", "DURAND Paul", "00077", "Secteur 001 - NORD", "Secteur 002"}) {
    EXPECT_NE(used.FindText(text), nullptr) << text;
  }
  request.printerIndex = 9;
  EXPECT_THROW(control.Imprimer(request), std::out_of_range);
}

TEST_F(PlanningControlTest, ReadsTheValidationFlag) {
  db->storage().Put("ABSENCESAIDANT", AbsenceKey("00001", 12, first), With({{28, "1"}}));
  for (int week = 0; week < 2; ++week) {
    AddAbsence(request.resultat, "00001", 12, first + 7 * week, std::to_string(first + 7 * week + 1));
  }
  DatabasePlanningSource source(*db, nullptr);
  const PlanningChart chart = BuildPlanningChart(request, source);
  const auto& bars = chart.groups.at(0).rows.at(0).bars;
  ASSERT_EQ(bars.size(), 2u);
  EXPECT_EQ(bars[0].kind, AbsenceKind::AValider);
  EXPECT_EQ(bars[1].kind, AbsenceKind::Conges);
}

}  // namespace
}  // namespace morvane::services
