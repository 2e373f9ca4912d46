// The printed list and the sectors the user may not see: a hidden carer's row
// must neither head nor open a page, whatever the page break it falls on.
// The user of the list fixture sees sectors 001 and 002, not 009.
#include <QRadioButton>

#include "ctr_morvane_test_access.h"
#include "list_fixture.h"

namespace morvane::testing {
namespace {

using control::CtrMorvaneTestAccess;

constexpr int kPremierJour2024 = 20455;  // 01/01/2024

class ListRightsTest : public ListTest {
 protected:
  void SetUp() override {
    ListTest::SetUp();
    Aidant("00001", "MARTIN", "Anne", "001", {"3", "", "RUE", "HAUTE"}, "", "42000", "SAINT-ÉTIENNE");
    Aidant("00002", "CACHE", "Paul", "009", {"9", "", "RUE", "BASSE"}, "", "42300", "VILLE-CACHEE");
  }

  // Ten visible absences (a full landscape page), then the given keys.
  static std::vector<std::string> PagePleinePuis(const std::vector<std::string>& suite) {
    std::vector<std::string> cles;
    for (int i = 0; i < 10; ++i) cles.push_back(Cle("00001", "15", kPremierJour2024 + 10 * i));
    cles.insert(cles.end(), suite.begin(), suite.end());
    return cles;
  }
  static std::string Cachee() { return Cle("00002", "15", kPremierJour2024 + 5); }
  static std::string Visible() { return Cle("00001", "15", kPremierJour2024 + 200); }

  void GrouperPar(QRadioButton* option) { option->setChecked(true); }
};

TEST_F(ListRightsTest, HiddenCarerAfterAFullPageDoesNotHeadTheNextPageWithItsCommune) {
  GrouperPar(CtrMorvaneTestAccess::Form(control()).Opt_Com);
  Imprimer(kLaser, Lignes(PagePleinePuis({Cachee(), Visible()})));

  auto& rec = Recorder(kLaser);
  ASSERT_EQ(rec.PagesOfJob(1), 2);
  EXPECT_EQ(rec.FindText("VILLE-CACHEE"), nullptr);
  EXPECT_EQ(rec.FindText("CACHE"), nullptr);
  const auto* commune = rec.FindText("SAINT-ÉTIENNE", 2);
  ASSERT_NE(commune, nullptr);
  EXPECT_EQ(LignesDeDetail(2).size(), 1u);
}

TEST_F(ListRightsTest, HiddenCarerAfterAFullPageLeavesTheNextPageItsHeaders) {
  GrouperPar(CtrMorvaneTestAccess::Form(control()).Opt_Secteur);
  Imprimer(kLaser, Lignes(PagePleinePuis({Cachee(), Visible()})));

  auto& rec = Recorder(kLaser);
  ASSERT_EQ(rec.PagesOfJob(1), 2);
  EXPECT_NE(rec.FindText("Secteur Un", 2), nullptr);
  EXPECT_NE(rec.FindText(" CODE  NOM PRENOM", 2), nullptr);
  EXPECT_EQ(rec.FindText("Secteur Neuf"), nullptr);
  EXPECT_EQ(LignesDeDetail(2).size(), 1u);
}

TEST_F(ListRightsTest, HiddenCarersAtTheEndOfAFullPageOpenNoEmptyPage) {
  auto& form = CtrMorvaneTestAccess::Form(control());
  int job = 0;
  for (QRadioButton* option : {form.Opt_Tot, form.Opt_Secteur, form.Opt_Com}) {
    SCOPED_TRACE(option->objectName().toStdString());
    GrouperPar(option);
    Imprimer(kLaser, Lignes(PagePleinePuis({Cachee(), Cachee()})));
    ++job;
    EXPECT_EQ(Recorder(kLaser).PagesOfJob(job), 1);
    EXPECT_EQ(Recorder(kLaser).FindText("VILLE-CACHEE", 0, job), nullptr);
    Recorder(kLaser).EndDoc();
  }
}

}  // namespace
}  // namespace morvane::testing
