// The paid-leave figures of the information letter: dates, amounts and lines.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>

#include "services/lettre_cp.h"
#include "services/outils_date.h"

namespace morvane::services::conges {
namespace {

using Attributs = std::initializer_list<std::pair<int, std::vector<std::string>>>;

mvdb::DynArray Record(Attributs attributs) {
  mvdb::DynArray r;
  for (const auto& [numero, valeurs] : attributs) {
    for (std::size_t v = 0; v < valeurs.size(); ++v) r.SetItem(numero, static_cast<int>(v) + 1, valeurs[v]);
  }
  return r;
}

std::string Jour(int annee, int mois, int jour) { return std::to_string(DayNumber(QDate(annee, mois, jour))); }

// Each figure and line of the letter from the reference month and the
// contract: the leave period, when what is being acquired ends (A), the
// seniority and notice deadlines, the days being acquired, the lines.
TEST(LeaveLetter, DatesFiguresAndLines) {
  const auto P = [](const char* mois, bool juinMai) { return Periode(QString::fromLatin1(mois), juinMai); };
  const auto A = [&](const char* mois, bool juinMai) { return TexteDate(FinAcquisition(P(mois, juinMai))); };
  const auto convention = Record({{13, {"0"}}, {28, {"0"}}}), juinMai = Record({{13, {"1"}}, {28, {"0"}}}),
             civile = Record({{13, {"1"}}, {28, {"1"}}});
  const auto contrat = Record({{7, {Jour(2015, 9, 1)}}, {97, {Jour(2010, 3, 15)}}});
  const auto sansAnciennete = Record({{7, {Jour(2010, 3, 15)}}, {144, {"2050"}}});  // + 20 days: 4 April
  const auto prevenance = [&](const char* mois, const char* etablissement) {
    return TexteDate(EcheancePrevenance(P(mois, true), QString::fromLatin1(etablissement)));
  };
  const std::int32_t a = DayNumber(QDate(2024, 6, 30));
  const std::pair<QString, QString> cas[] = {
      // June-May year from May: starts in June of the reference year; A the end of June.
      {P("202405", true).debut + " " + P("202405", true).echeance + " " + A("202405", true), "01/06/2024 31/05/2025 30/06/2024"},
      {P("202404", true).debut + " " + P("202404", true).echeance + " " + A("202404", true), "01/06/2023 31/05/2024 30/04/2024"},
      // Calendar year: from December the next year, month 13 rolls over into January.
      {P("202412", false).debut + " " + P("202412", false).echeance + " " + A("202412", false), "01/01/2025 31/12/2025 31/01/2025"},
      {P("202403", false).debut + " " + A("202403", false), "01/01/2024 31/03/2024"},
      {MoisReference(Record({{7, {Jour(2019, 3, 12)}}, {63, {"202405"}}})), "202405"},
      {MoisReference(Record({{7, {Jour(2019, 3, 12)}}})), "201903"},  // the contract start when none
      {MoisReference(Record({})), ""},
      // Seniority: the day before the anniversary month, the day from 2010 even in 2024.
      {EcheanceAnciennete(P("202405", true), contrat, convention), "28/02/2025"},
      {EcheanceAnciennete(P("202402", true), contrat, convention), "28/02/2024"},
      {EcheanceAnciennete(P("202405", true), sansAnciennete, convention), "31/03/2025"},
      {EcheanceAnciennete(P("202405", true), contrat, juinMai), "31/12/2025"},
      {EcheanceAnciennete(P("202404", true), contrat, juinMai), "31/12/2024"},
      {EcheanceAnciennete(P("202412", false), contrat, civile), "31/12/2025"},
      {EcheanceAnciennete(P("202411", false), contrat, civile), "31/12/2024"},
      // Notice: the end of the establishment's month, this year or next.
      {prevenance("202404", "05"), "31/05/2024"}, {prevenance("202405", "05"), "31/05/2025"},
      {prevenance("202403", "02"), "28/02/2025"}, {prevenance("202405", "12"), "31/12/2024"},
      // Days being acquired: whole days rounded up unless exact; five a week counts 5/6.
      {JoursEnCours("2083", false) + JoursEnCours("2100", false) + JoursEnCours("50", false), "21211"},
      {JoursEnCours("", false) + "|" + JoursEnCours("0", false) + JoursEnCours("2500", true) + JoursEnCours("", true), "|0210"},
      {Montant("150") + " " + Montant("125") + " " + Montant("2500"), "1,5 1,25 25"},
      {LigneAcquise("150", Unite("1"), "de congés payés", "31/05/2025"), "1,5 jour ouvré de congés payés à prendre avant 31/05/2025."},
      {LigneAcquise("200", Unite("0"), "de congés payés", "31/05/2025"), "2 jours ouvrables de congés payés à prendre avant 31/05/2025."},
      {LigneEnCours(QString(), Unite("1"), "01/06/2024", a), "Aucun jour ouvré acquis."},
      {LigneEnCours("0", Unite("0"), "01/06/2024", a), "Aucun jour ouvrable acquis."},
      {LigneEnCours("1", Unite("1"), "01/06/2024", a), "1 jour ouvré acquis sur la période du 01/06/2024 au 30/06/2024"},
  };
  for (const auto& [obtenu, attendu] : cas) EXPECT_EQ(obtenu, attendu);
  EXPECT_THROW(FinAcquisition(Periode(QString(), true)), ErreurConges);
  EXPECT_THROW(EcheancePrevenance(P("202405", true), QString()), ErreurConges);
  EXPECT_THROW(EcheancePrevenance(P("202405", true), QStringLiteral("13")), ErreurConges);
}

TEST(LeaveLetter, EveryKindOfLineInOrderWithItsUnitAndDeadline) {
  const auto contrat = Record({{7, {Jour(2015, 9, 1)}},
                               {39, {"2500"}},
                               {41, {"150"}},
                               {44, {"2083"}},
                               {48, {"200"}},
                               {63, {"202405"}},
                               {97, {Jour(2010, 3, 15)}},
                               {110, {"300"}},
                               {161, {Jour(2024, 9, 30), "", Jour(2024, 12, 31)}},
                               {162, {"500", "0", "100"}}});
  const auto convention = Record({{2, {"0"}}, {12, {"1"}}, {13, {"0"}}, {28, {"0"}}, {42, {"1"}}, {76, {"0"}}});
  const auto etablissement = Record({{24, {"06"}}});
  const LettreConges l = CalculerConges(contrat, convention, etablissement);
  EXPECT_EQ(l.lignesAcquises,
            QStringList({"25 jours ouvrables de congés payés à prendre avant 31/05/2025.",
                         "1,5 jour ouvré de congés pour fractionnement à prendre avant 31/05/2025.",
                         "2 jours ouvrés de congés d'ancienneté à prendre avant 28/02/2025.",
                         "3 jours ouvrables de congé delai prévenance à prendre avant 30/06/2024.",
                         "5 jours ouvrables de congés reportés suite arrêt à prendre avant 30/09/2024.",
                         "1 jour ouvrable de congés reportés suite arrêt à prendre avant 31/12/2024."}));
  EXPECT_EQ(l.ligneEnCours, "21 jours ouvrables acquis sur la période du 01/06/2024 au 30/06/2024");
}

}  // namespace
}  // namespace morvane::services::conges
