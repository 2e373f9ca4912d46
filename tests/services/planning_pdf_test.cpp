// The planning drawn into real PDF files, for 12 weeks and for 1 week of
// generated absences. The files stay in the build tree (planning/) so that
// they can be looked at: pdftoppm -png -r 60 planning_12_semaines.pdf p
#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>

#include "planning_test_support.h"
#include "services/planning_painter.h"
#include "services/printer_list.h"

namespace morvane::services {
namespace {

using testing::AddAbsence;
using testing::Day;
using testing::FakePlanningSource;

/// Small deterministic generator (no dependence on the platform's rand).
class Lcg {
 public:
  explicit Lcg(unsigned seed) : state_(seed) {}
  int Below(int n) {
    state_ = state_ * 1103515245u + 12345u;
    return static_cast<int>((state_ >> 16) % static_cast<unsigned>(n));
  }

 private:
  unsigned state_;
};

/// `carers` carers in four sectors, each with one to three absences of every
/// kind around the period: half days, clipped, open-ended, to be validated.
void Generate(PlanningRequest& request, FakePlanningSource& source, int carers, unsigned seed) {
  static const char* surnames[] = {"MARTIN", "BERNARD", "THOMAS", "PETIT", "ROBERT", "RICHARD", "DURAND", "DUBOIS",
                                   "MOREAU", "LAURENT", "SIMON", "MICHEL", "LEFEBVRE", "LEROY", "ROUX", "DAVID",
                                   "BERTRAND", "MOREL", "FOURNIER", "GIRARD", "BONNET", "DUPONT", "LAMBERT", "FONTAINE"};
  static const char* firstNames[] = {"Anne", "Marie", "Sophie", "Nathalie", "Isabelle", "Sylvie", "Catherine",
                                     "Christine", "Valérie", "Sandrine", "Céline", "Paul", "Jean", "Hélène", "Élodie"};
  static const int reasons[] = {1, 2, 3, 29, 12, 12, 13, 14, 16, 23, 25, 8, 9, 24, 50, 22};
  source.sectorLabels = {{"001", "NORD"}, {"002", "SUD"}, {"003", "CENTRE VILLE"}, {"004", "VALLÉE"}};
  Lcg random(seed);
  const int days = request.finPeriode - request.debutPeriode + 1;
  for (int i = 1; i <= carers; ++i) {
    const std::string code = QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')).toStdString();
    const QString sector = QStringLiteral("00%1").arg(1 + random.Below(4));
    source.carers[QString::fromStdString(code)] = {
        QStringLiteral("%1 %2").arg(surnames[random.Below(24)], firstNames[random.Below(15)]), sector,
        QStringLiteral("LYON")};
    // Absences one after the other, sometimes one more to be validated over
    // another (the chart stacks them).
    int cursor = request.debutPeriode - 6 + random.Below(days / 2 + 6);
    const int absences = 1 + random.Below(3);
    for (int a = 0; a < absences && cursor <= request.finPeriode; ++a) {
      int length = random.Below(5) == 0 ? random.Below(40) : random.Below(6);
      if (cursor + length < request.debutPeriode) length = request.debutPeriode - cursor + random.Below(3);
      const int reason = reasons[random.Below(16)];
      const bool openEnded = a == absences - 1 && random.Below(12) == 0;
      const std::string key = AddAbsence(request.resultat, code, reason, cursor,
                                         openEnded ? std::string() : std::to_string(cursor + length),
                                         random.Below(4) == 0 ? "2" : "1", random.Below(4) == 0 ? "1" : "2");
      if (random.Below(20) == 0) source.awaitingValidation.insert(key);
      if (random.Below(15) == 0) AddAbsence(request.resultat, code, 22, cursor + 1, std::to_string(cursor + 3));
      cursor += length + 2 + random.Below(days / 2 + 1);
    }
  }
}

/// Prints the chart into build/planning/<name>.pdf; returns its page count.
int PrintPdf(const PlanningRequest& request, FakePlanningSource& source, const std::string& name) {
  const std::filesystem::path file = std::filesystem::path(MORVANE_BINARY_DIR) / "planning" / (name + ".pdf");
  std::filesystem::remove(file);
  auto printer = MakeQtPrinter(QStringLiteral("PDF"), file);
  const int pages = PaintPlanning(*printer, BuildPlanningChart(request, source), QDate(2025, 6, 15));
  printer->EndDoc();
  QFile pdf(QString::fromStdString(file.string()));
  EXPECT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));
  return pages;
}

TEST(PlanningPdf, TwelveWeeksOfASectoredAssociation) {
  PlanningRequest request;
  request.debutPeriode = Day(2025, 6, 2);
  request.finPeriode = request.debutPeriode + 83;
  request.secteur = true;
  request.arretTravail = request.conges = request.autres = request.aValider = true;
  FakePlanningSource source;
  Generate(request, source, 70, 7);
  EXPECT_GE(PrintPdf(request, source, "planning_12_semaines"), 3);
}

TEST(PlanningPdf, OneWeekWithoutGrouping) {
  PlanningRequest request;
  request.debutPeriode = Day(2025, 6, 9);
  request.finPeriode = request.debutPeriode + 6;
  request.conges = request.arretTravail = true;
  FakePlanningSource source;
  Generate(request, source, 12, 3);
  EXPECT_EQ(PrintPdf(request, source, "planning_1_semaine"), 1);
}

}  // namespace
}  // namespace morvane::services
