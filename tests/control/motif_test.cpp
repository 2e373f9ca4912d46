// The reason list: which reasons each absence type offers, in which order,
// with which item data, and when the list is hidden.
#include "lookup_fixture.h"

namespace morvane::testing {
namespace {

class Motif : public LookupTest {
 protected:
  void SetUp() override {
    Entite("001", "ALPHA", {"P"});
    // Position p holds code p up to 32, except 24 whose code is "58" (an
    // "Autres" reason at a fixed position, also offered for being "50" or
    // more); then 35, 50, 61 and a three-character "6" that passes the text
    // comparison with "50".
    std::vector<std::pair<std::string, std::string>> reasons;
    for (int p = 1; p <= 32; ++p) {
      const std::string code = p == 24 ? "58" : QString::number(p).rightJustified(2, '0').toStdString();
      reasons.emplace_back(code, "Motif " + code);
    }
    reasons[0].second = "maladie";            // lower case sorts after upper case
    reasons[1].second = "Accident";
    reasons[2].second = "\xC3\x89tat";         // "État": after the plain alphabet
    reasons[3].second = "Zona";
    reasons.emplace_back("35", "Formation");
    reasons.emplace_back("50", "Autre absence");
    reasons.emplace_back("61", "Visite");
    reasons.emplace_back("6", "Six");
    Motifs(reasons);
  }
  QComboBox* motif() { return Cbo("Cbo_Motif"); }
  QList<int> Codes() {
    QList<int> codes;
    for (int i = 0; i < motif()->count(); ++i) codes << motif()->itemData(i).toInt();
    return codes;
  }
  bool Visible() { return control::classic::Visible(motif()) && control::classic::Visible(Get<QLabel>("Etq_Motif")); }
};

TEST_F(Motif, SickLeaveOffersItsReasonsSortedByteByByte) {
  Demarrer();
  EXPECT_EQ(motif()->count(), 0);  // nothing before the first tick
  Cliquer(Cac("Cac_ArretTravail"));
  EXPECT_EQ(Elements(motif()), QStringList({"Accident", "Motif 05", "Motif 06", "Motif 29", "Motif 30", "Zona",
                                            "maladie", QString::fromUtf8("État")}));
  EXPECT_EQ(Codes(), QList<int>({2, 5, 6, 29, 30, 4, 1, 3}));
  EXPECT_TRUE(Visible());
  EXPECT_EQ(motif()->currentText(), QString());
}

TEST_F(Motif, TwoTypesHideTheListAndUntickingRefillsIt) {
  Demarrer();
  Cliquer(Cac("Cac_ArretTravail"));
  Choisir(motif(), 0);
  ASSERT_EQ(motif()->currentText(), "Accident");
  Cliquer(Cac("Cac_Conges"));
  EXPECT_FALSE(Visible());
  EXPECT_EQ(motif()->currentText(), QString());
  EXPECT_EQ(motif()->count(), 8);  // items kept while hidden

  Cliquer(Cac("Cac_ArretTravail"));  // "Congés" alone
  EXPECT_TRUE(Visible());
  EXPECT_EQ(Codes(), QList<int>({12, 13, 14, 15, 16, 17, 23, 25, 26, 27, 28, 31}));

  Cliquer(Cac("Cac_Conges"));  // none ticked: the list keeps its items
  EXPECT_TRUE(Visible());
  EXPECT_EQ(motif()->count(), 12);
}

TEST_F(Motif, AValiderOffersItsSingleReason) {
  Demarrer();
  Cliquer(Cac("Cac_AValider"));
  EXPECT_EQ(Elements(motif()), QStringList({"Motif 22"}));
  EXPECT_EQ(Codes(), QList<int>({22}));
}

TEST_F(Motif, AutresAddsEveryCodeFromFiftyComparedAsText) {
  Demarrer();
  Cliquer(Cac("Cac_EvtFam"));
  // Fixed 7-11, 24 ("58"), 32; then "58" again, "50", "61" and "6".
  EXPECT_EQ(Elements(motif()), QStringList({"Autre absence", "Motif 07", "Motif 08", "Motif 09", "Motif 10",
                                            "Motif 11", "Motif 32", "Motif 58", "Motif 58", "Six", "Visite"}));
  EXPECT_EQ(Codes(), QList<int>({50, 7, 8, 9, 10, 11, 32, 58, 58, 6, 61}));
}

TEST_F(Motif, GrayedBoxDoesNotCountAndLettersFollowSickLeaveAlone) {
  Demarrer();
  QRadioButton* lettre = Opt("Opt_LettreInfo");
  Cliquer(Opt("Opt_FinPeriodeRef"));
  control::classic::SetValue(Cac("Cac_ArretTravail"), 2);
  EXPECT_EQ(motif()->count(), 0);  // grayed: no type counted, nothing filled
  EXPECT_FALSE(control::classic::Enabled(lettre));

  control::classic::SetValue(Cac("Cac_ArretTravail"), 1);
  EXPECT_TRUE(control::classic::Enabled(lettre));
  EXPECT_EQ(motif()->count(), 8);
  Cliquer(Cac("Cac_AValider"));
  EXPECT_FALSE(control::classic::Enabled(lettre));
  EXPECT_FALSE(Visible());
}

TEST_F(Motif, MissingReasonTableIsReportedAndTheListStaysEmpty) {
  db().DBOpen("TABLES").DBDelete("ABSENCES");
  Demarrer();
  Cliquer(Cac("Cac_ArretTravail"));
  EXPECT_EQ(motif()->count(), 0);
  ASSERT_EQ(Messages().size(), 1);
  EXPECT_TRUE(Messages().front().contains("ABSENCES"));
  EXPECT_FALSE(ui().IsBusy());
  EXPECT_TRUE(control().isEnabled());
}

}  // namespace
}  // namespace morvane::testing
