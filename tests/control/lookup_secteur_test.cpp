// The sector / commune look-up, worked as a user does: typing codes, Enter,
// leaving the field, picking and clearing the list.
#include "lookup_fixture.h"

#include <QSignalBlocker>

#include "control/variable.h"

namespace morvane::testing {
namespace {

class LookupSecteur : public LookupTest {
 protected:
  void SetUp() override {
    Secteur("001", "NORD");
    Secteur("002", "SUD");
    Secteur("005", "CENTRE");
    Secteur("009", "RESERVE");  // exists, but the user may not see it
    Commune("75000", "PARIS");
    Commune("69000", "LYON");
    Commune("13000", "MARSEILLE");
    Entite("001", "ALPHA", {"P"});
  }
  QLineEdit* code() { return Txt("Txt_Secteur"); }
  QComboBox* liste() { return Cbo("Cbo_Secteur"); }
  QLineEdit* ailleurs() { return Txt("Txt_Debut"); }
};

TEST_F(LookupSecteur, SectorListIsSortedByLabelAndSentAsWritten) {
  Demarrer();
  EXPECT_EQ(Elements(liste()), QStringList({"CENTRE", "NORD", "RESERVE", "SUD"}));
  EXPECT_EQ(liste()->currentIndex(), -1);
  EXPECT_EQ(liste()->currentText(), QString());
  const auto queries = Requetes();
  ASSERT_FALSE(queries.empty());
  EXPECT_EQ(queries.front(), "SSELECT SECTEUR PAR 1 ");  // with its trailing blank
}

TEST_F(LookupSecteur, ShortCodeIsPaddedOnTheLeftWhenLeavingAndLookedUp) {
  Demarrer();
  Taper(code(), "5");
  EXPECT_EQ(liste()->currentText(), QString());
  Quitter(ailleurs());
  EXPECT_EQ(code()->text(), "005");
  EXPECT_EQ(liste()->currentText(), "CENTRE");
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(LookupSecteur, ThirdCharacterLooksUpAtOnceAndEnterCompletesAnEmptyField) {
  Demarrer();
  Taper(code(), "00");
  EXPECT_EQ(liste()->currentText(), QString());
  QTest::keyClicks(code(), "1");
  EXPECT_EQ(liste()->currentText(), "NORD");
  // Making the code incomplete again clears the list's text, not the code.
  QTest::keyClick(code(), Qt::Key_Backspace);
  EXPECT_EQ(code()->text(), "00");
  EXPECT_EQ(liste()->currentText(), QString());
  EXPECT_EQ(liste()->currentIndex(), -1);

  code()->clear();
  Entree(code());
  EXPECT_EQ(code()->text(), "000");  // then looked up: a sector the user may not see
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(LookupSecteur, UnknownSectorIsRefusedAndTheFieldTakesTheFocusBack) {
  secteursAutorises.clear();  // every sector visible
  Demarrer();
  Taper(code(), "4");
  Quitter(ailleurs());
  EXPECT_EQ(Messages(), QStringList({"Ce secteur n'existe pas."}));
  EXPECT_EQ(ui().Messages().front().second, services::MsgIcon::Exclamation);
  EXPECT_EQ(code()->text(), QString());
  EXPECT_EQ(liste()->currentText(), QString());
  EXPECT_TRUE(code()->hasFocus());
}

TEST_F(LookupSecteur, SectorRefusedByTheRightsIsNeverShownAndNothingIsSaid) {
  Demarrer();
  Taper(code(), "009");
  EXPECT_EQ(liste()->currentText(), QString());
  EXPECT_EQ(code()->text(), "009");

  code()->clear();
  Choisir(liste(), liste()->findText("RESERVE"));
  EXPECT_EQ(code()->text(), "009");
  EXPECT_EQ(liste()->currentText(), QString());
  EXPECT_EQ(liste()->currentIndex(), -1);
  EXPECT_TRUE(Messages().isEmpty());
}

TEST_F(LookupSecteur, PickingAnItemWritesItsCodeAndEmptyingTheTextEmptiesTheCode) {
  Demarrer();
  Choisir(liste(), liste()->findText("SUD"));
  EXPECT_EQ(code()->text(), "002");
  EXPECT_EQ(liste()->currentText(), "SUD");

  // A typed text is not looked up and leaves the code alone.
  liste()->setFocus(Qt::MouseFocusReason);
  liste()->lineEdit()->selectAll();
  QTest::keyClicks(liste(), "NO");
  EXPECT_EQ(code()->text(), "002");
  liste()->lineEdit()->selectAll();
  QTest::keyClick(liste(), Qt::Key_Backspace);
  EXPECT_EQ(code()->text(), QString());
}

TEST_F(LookupSecteur, CommuneModePadsOnTheRightAndReadsTheWholeName) {
  Commune("38000", "GRENOBLE");
  Write("COMMUNES", "38100", {{1, {"GRENOBLE", "SUD"}}});
  Demarrer();
  Cliquer(Opt("Opt_Com"));
  EXPECT_EQ(Get<QLabel>("Etq_Secteur")->text(), "Commune");
  EXPECT_EQ(Elements(liste()), QStringList({"GRENOBLE", "GRENOBLE SUD", "LYON", "MARSEILLE", "PARIS"}));
  EXPECT_EQ(Requetes().back(), "SSELECT COMMUNES PAR 1 ");

  Taper(code(), "75");
  Entree(code());
  EXPECT_EQ(code()->text(), "75000");
  EXPECT_EQ(liste()->currentText(), "PARIS");

  code()->clear();
  Taper(code(), "381");
  Quitter(ailleurs());
  EXPECT_EQ(code()->text(), "38100");
  EXPECT_EQ(liste()->currentText(), "GRENOBLE SUD");  // every value of the name

  code()->clear();
  Taper(code(), "12345");
  EXPECT_EQ(Messages(), QStringList({"Cette commune n'existe pas."}));
  EXPECT_EQ(code()->text(), QString());
  EXPECT_TRUE(code()->hasFocus());

  // Back to sectors: the sector labels again and an empty code field.
  Cliquer(Opt("Opt_Secteur"));
  EXPECT_EQ(code()->text(), QString());
  EXPECT_EQ(Elements(liste()), QStringList({"CENTRE", "NORD", "RESERVE", "SUD"}));
}

// Codes and names go into the absence query between double quotes: a quote
// would end the value, a final "]" would make it a begins-with test. Typed or
// read from the database, they are refused with a message.
TEST_F(LookupSecteur, QuerySyntaxNeverReachesTheQuery) {
  Commune("97400", "L\"ILE");
  Commune("97500", "SAINT-PIERRE]");
  Demarrer();
  struct Case {
    bool commune, inList;  // the mode, and whether the text is typed into the list
    const char *typed, *kept, *said;
  };
  const Case cases[] = {
      {false, false, "0\"", "0", "guillemet"},     {false, false, "0]", "0", "crochet"},
      {true, false, "97400", "", "guillemet"},     {true, false, "97500", "", "crochet"},  // names on file
      {true, true, "LY\"ON", "LYON", "guillemet"}, {true, true, "LYON]", "LYON", "crochet"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Cliquer(Opt(c.commune ? "Opt_Com" : "Opt_Secteur"));
    code()->clear();
    liste()->clearEditText();
    ui().Clear();
    Taper(c.inList ? static_cast<QWidget*>(liste()) : code(), QString::fromUtf8(c.typed));
    EXPECT_EQ(c.inList ? liste()->currentText() : code()->text(), QString::fromUtf8(c.kept));
    ASSERT_EQ(Messages().size(), 1);
    EXPECT_TRUE(Messages().front().contains(QString::fromUtf8(c.said))) << Messages().front().toStdString();
  }
}

// Whatever reached the fields, "Imprimer" refuses query syntax in them before
// any query is written, for a user who may not see the sector too (the code
// is then not looked up): "00]" would select every sector beginning with 00.
TEST_F(LookupSecteur, ImprimerRefusesQuerySyntaxBeforeAnyQuery) {
  secteursAutorises = {"001"};
  Demarrer();
  Cliquer(Cac("Cac_ArretTravail"));
  Txt("Txt_Debut")->setText(QStringLiteral("01/03/2024"));
  Txt("Txt_Fin")->setText(QStringLiteral("31/03/2024"));
  {
    const QSignalBlocker quiet(code());  // as if the field's own check had been passed by
    code()->setText(QStringLiteral("00]"));
  }
  ui().Clear();
  Get<QPushButton>("Cmd_Imprimer")->click();
  EXPECT_EQ(Messages(), QStringList{"Critère refusé : le code secteur « 00] » contient le caractère ] (crochet) en "
                                    "fin de valeur."});
  EXPECT_TRUE(code()->hasFocus());
  for (const std::string& query : Requetes()) EXPECT_EQ(query.find("ABSENCESAIDANT"), std::string::npos) << query;
}

TEST_F(LookupSecteur, FailedReadIsReportedAndTheFormStaysUsable) {
  Demarrer();
  control::Variable::FicSecteur.Close();  // every read now fails
  Taper(code(), "001");
  ASSERT_EQ(Messages().size(), 1);
  EXPECT_TRUE(Messages().front().startsWith("Le code 001 n'a pas pu être vérifié"));
  EXPECT_EQ(code()->text(), QString());
  EXPECT_EQ(liste()->currentText(), QString());

  Cliquer(Opt("Opt_Com"));
  Taper(code(), "69000");
  EXPECT_EQ(liste()->currentText(), "LYON");
}

}  // namespace
}  // namespace morvane::testing
