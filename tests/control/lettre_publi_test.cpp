// The mail merge: contract keys joined by "|" and the members of the editor
// control set in their order.
#include "lettre_fixture.h"

namespace morvane::testing {
namespace {

TEST_F(LettreTest, MergeListsAContractMetAgainAfterAnother) {
  EXPECT_EQ(Publier({kA2, kB1, kA2}), "00001001|00002001|00001001");
  EXPECT_EQ(editeur().appels,
            (std::vector<std::string>{"Base", "Client", "Droits", "CleModele=LETTREINFOCP00000000", "Parametre=",
                                      "ListeCles=00001001|00002001|00001001", "Retour=", "Executer"}));
  EXPECT_TRUE(Recorder().Ops().empty());  // nothing printed
}

TEST_F(LettreTest, MergeLeavesOutAgentModeAndMissingContracts) {
  EXPECT_EQ(Publier({kAgent, kManquant, kA1, kA2}), "00001001|00001002|00001001");
  EXPECT_EQ(Publier({kA2, kA2}), "00001001");
}

TEST_F(LettreTest, AnEmptySelectionStillCallsTheEditor) {
  Publier({kA2});
  editeur().appels.clear();
  EXPECT_EQ(Publier({}), "");
  ASSERT_FALSE(editeur().appels.empty());
  EXPECT_EQ(editeur().appels.back(), "Executer");
  EXPECT_EQ(editeur().appels[5], "ListeCles=");
}

}  // namespace
}  // namespace morvane::testing
