// The look-ups worked as a user does: the sector or commune code and its
// list, the legal entity and its activity types, query syntax in what is
// typed or on file, and failed reads.
#include <QGroupBox>
#include <QSignalBlocker>

#include "builder.h"
#include "control/variable.h"

namespace morvane::testing {
namespace {

using control::classic::Enabled;

class Lookup : public FormTest {
 protected:
  Lookup() {
    for (const auto& [code, label] : {std::pair{"001", "NORD"}, {"002", "SUD"}, {"005", "CENTRE"}, {"009", "RESERVE"}}) {
      base.Secteur(code, label);
    }
    for (const auto& [code, name] : {std::pair{"75000", "PARIS"}, {"69000", "LYON"}, {"13000", "MARSEILLE"}}) {
      base.Write("COMMUNES", code, {{1, {name}}});
    }
  }
  Controle& Demarrer(std::vector<QString> secteurs = {"001", "002", "005"}) { return Open({.secteurs = secteurs}); }
  /// The one message shown since the form was made or cleared, if it is a
  /// critical one beginning with `debut`.
  bool Critique(const QString& debut) {
    const QStringList shown = form->Messages(true);
    return shown.size() == 1 && shown[0].startsWith(debut) && shown[0].endsWith("[x]");
  }
  /// The code field, the list's text, and the two activity boxes (enabled, ticked).
  std::string Etat(const char* code, const char* liste) {
    auto box = [&](const char* name) {
      return std::string(Enabled(form->Cac(name)) ? "on" : "off") + (form->Cac(name)->isChecked() ? "+" : "");
    };
    return (form->Txt(code)->text() + "|" + form->Cbo(liste)->currentText()).toStdString() + "|" + box("Cac_Prest") + "|" +
           box("Cac_Mandat");
  }
};

TEST_F(Lookup, SectorCodesArePaddedLookedUpAndHiddenWhenTheRightsSaySo) {
  Controle& f = Demarrer();
  QLineEdit* code = f.Txt("Txt_Secteur");
  QComboBox* liste = f.Cbo("Cbo_Secteur");
  EXPECT_EQ(Controle::Elements(liste), QStringList({"CENTRE", "NORD", "RESERVE", "SUD"}));
  EXPECT_EQ(base.Requetes().front(), "SSELECT SECTEUR PAR 1 ");  // with its trailing blank
  f.Taper(code, "5");
  EXPECT_EQ(liste->currentText(), "");
  f.Quitter(f.Txt("Txt_Debut"));  // leaving pads on the left
  EXPECT_EQ(Etat("Txt_Secteur", "Cbo_Secteur").substr(0, 10), "005|CENTRE");
  f.Taper(code, "\b");  // incomplete again: the list's text goes, the code stays
  EXPECT_EQ(std::tuple(code->text(), liste->currentText(), liste->currentIndex()), std::tuple("00", "", -1));
  f.Taper(code, "1");  // the third character looks up at once
  EXPECT_EQ(liste->currentText(), "NORD");
  code->clear();
  f.Entree(code);  // Enter completes even an empty field
  EXPECT_EQ(code->text(), "000");
  // A sector the user may not see: typed or picked, never shown, nothing said.
  code->clear();
  f.Taper(code, "009");
  EXPECT_EQ(std::tuple(code->text(), liste->currentText()), std::tuple("009", ""));
  code->clear();
  f.Choisir(liste, liste->findText("RESERVE"));
  EXPECT_EQ(std::tuple(code->text(), liste->currentText(), liste->currentIndex()), std::tuple("009", "", -1));
  f.Choisir(liste, liste->findText("SUD"));  // a pick writes its code
  EXPECT_EQ(std::tuple(code->text(), liste->currentText()), std::tuple("002", "SUD"));
  liste->lineEdit()->selectAll();
  QTest::keyClicks(liste, "NO");  // typing is no look-up
  EXPECT_EQ(code->text(), "002");
  liste->lineEdit()->clear();  // an empty list text empties the code
  EXPECT_EQ(code->text(), "");
  EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(Lookup, UnknownCodesAreRefusedAndFailedReadsReported) {
  base.Write("COMMUNES", "38100", {{1, {"GRENOBLE", "SUD"}}});
  Controle& f = Demarrer({});  // every sector visible
  QLineEdit* code = f.Txt("Txt_Secteur");
  f.Taper(code, "4");
  f.Quitter(f.Txt("Txt_Debut"));
  EXPECT_EQ(f.Messages(true), QStringList{"Ce secteur n'existe pas. [!]"});
  EXPECT_EQ(Etat("Txt_Secteur", "Cbo_Secteur").substr(0, 1), "|");
  EXPECT_TRUE(code->hasFocus());

  f.Cliquer("Opt_Com");  // communes: padded on the right, every value of the name
  EXPECT_EQ(f.Get<QLabel>("Etq_Secteur")->text(), "Commune");
  EXPECT_EQ(Controle::Elements(f.Cbo("Cbo_Secteur")), QStringList({"GRENOBLE SUD", "LYON", "MARSEILLE", "PARIS"}));
  EXPECT_EQ(base.Requetes().back(), "SSELECT COMMUNES PAR 1 ");
  f.Taper(code, "381");
  f.Quitter(f.Txt("Txt_Debut"));
  EXPECT_EQ(Etat("Txt_Secteur", "Cbo_Secteur").substr(0, 18), "38100|GRENOBLE SUD");
  code->clear();
  f.Taper(code, "75");
  f.Entree(code);
  EXPECT_EQ(Etat("Txt_Secteur", "Cbo_Secteur").substr(0, 11), "75000|PARIS");
  code->clear();
  f.ui().Clear();
  f.Taper(code, "12345");
  EXPECT_EQ(f.Messages(), QStringList{"Cette commune n'existe pas."});
  EXPECT_TRUE(code->text().isEmpty());

  f.Cliquer("Opt_Secteur");
  control::Variable::FicSecteur.Close();  // every read now fails
  f.ui().Clear();
  f.Taper(code, "001");
  EXPECT_TRUE(Critique("Le code 001 n'a pas pu être vérifié")) << f.Messages().join('|').toStdString();
  EXPECT_TRUE(code->text().isEmpty());
  f.Cliquer("Opt_Com");  // the form still works
  f.Taper(code, "69000");
  EXPECT_EQ(f.Cbo("Cbo_Secteur")->currentText(), "LYON");
}

// Codes and names go into the absence query between double quotes: a quote
// would end the value, a final "]" would make it a begins-with test. Typed or
// read from the database, they are refused with a message; "Imprimer"
// refuses them again before any query, whatever the rights.
TEST_F(Lookup, QuerySyntaxNeverReachesTheQuery) {
  base.Write("COMMUNES", "97400", {{1, {"L\"ILE"}}});
  base.Write("COMMUNES", "97500", {{1, {"SAINT-PIERRE]"}}});
  Controle& f = Demarrer({"001"});
  struct Cas {
    const char *mode, *champ, *tape, *reste, *dit;
  };
  const Cas cas[] = {
      {"Opt_Secteur", "Txt_Secteur", "0\"", "0", "guillemet"}, {"Opt_Secteur", "Txt_Secteur", "0]", "0", "crochet"},
      {"Opt_Com", "Txt_Secteur", "97400", "", "guillemet"},    {"Opt_Com", "Txt_Secteur", "97500", "", "crochet"},
      {"Opt_Com", "Cbo_Secteur", "LY\"ON", "LYON", "guillemet"}, {"Opt_Com", "Cbo_Secteur", "LYON]", "LYON", "crochet"},
  };
  for (const Cas& c : cas) {
    SCOPED_TRACE(c.tape);
    f.Cliquer(c.mode);
    f.Txt("Txt_Secteur")->clear();
    f.Cbo("Cbo_Secteur")->clearEditText();
    f.ui().Clear();
    QWidget* champ = f.Get<QWidget>(c.champ);
    f.Taper(champ, QString::fromUtf8(c.tape));
    EXPECT_EQ(std::string(c.champ) == "Txt_Secteur" ? f.Txt(c.champ)->text() : f.Cbo(c.champ)->currentText(), c.reste);
    ASSERT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(f.Messages()[0].contains(QString::fromUtf8(c.dit))) << f.Messages()[0].toStdString();
  }
  f.Cliquer({"Opt_Secteur", "Cac_ArretTravail"});
  f.Txt("Txt_Debut")->setText("01/03/2024");
  f.Txt("Txt_Fin")->setText("31/03/2024");
  {
    const QSignalBlocker quiet(f.Txt("Txt_Secteur"));  // as if the field's own check had been passed by
    f.Txt("Txt_Secteur")->setText("00]");
  }
  f.ui().Clear();
  f.Cmd("Cmd_Imprimer")->click();
  EXPECT_EQ(f.Messages(), QStringList{"Critère refusé : le code secteur « 00] » contient le caractère ] (crochet) en fin de "
                                      "valeur."});
  EXPECT_TRUE(f.Txt("Txt_Secteur")->hasFocus());
  for (const std::string& query : base.Requetes()) EXPECT_EQ(query.find("ABSENCESAIDANT"), std::string::npos) << query;
}

TEST_F(Lookup, TheEntityListFiltersAndTheCodeOffersItsActivityTypes) {
  base.Entite("001", "ALPHA", {"P", "M"});
  base.Entite("003", "BETA", {"M"});
  base.Entite("005", "BRAVO", {"I", "S"});
  base.Entite("002", "CARE", {"X"});
  base.Entite("004", "ARC", {"P"});
  base.Entite("007", "", {"P"});  // activities but no ASSOCIATION record: not listed
  Controle& f = Demarrer();
  QComboBox* liste = f.Cbo("Cbo_Entite");
  QLineEdit* code = f.Txt("Txt_Entite");
  EXPECT_EQ(Controle::Elements(liste), QStringList({"ALPHA", "ARC", "BETA", "BRAVO", "CARE"}));
  EXPECT_EQ(base.Requetes()[1], "SSELECT ACTIVITES PAR LibAssoActivites PAR 0");
  for (const auto& [tape, etat] :
       {std::pair{"3", "003|BETA|off|on+"}, {"2", "002|CARE|off|off"}, {"1", "001|ALPHA|on+|on+"}}) {
    code->clear();
    f.Taper(code, tape);
    f.Quitter(f.Txt("Txt_Debut"));  // padded with "0" on the left
    EXPECT_EQ(Etat("Txt_Entite", "Cbo_Entite"), etat);
    EXPECT_TRUE(Enabled(f.Get<QGroupBox>("Cdr_Activites")));
  }
  EXPECT_EQ(base.Requetes().back(), "SSELECT ACTIVITES AVEC 0 = \"001]\"");
  f.Taper(code, "\b");  // one character less: the entity and its types go
  EXPECT_EQ(Etat("Txt_Entite", "Cbo_Entite"), "||off|off");
  EXPECT_FALSE(Enabled(f.Get<QGroupBox>("Cdr_Activites")));
  f.Taper(code, "007");
  EXPECT_EQ(f.Messages(), QStringList{"Cette entité juridique n'existe pas."});
  EXPECT_TRUE(code->text().isEmpty() && code->hasFocus());

  f.Taper(liste, "a");
  f.Entree(liste);  // the upper-cased beginning filters, the field keeps the focus
  EXPECT_EQ(Controle::Elements(liste), QStringList({"ALPHA", "ARC"}));
  EXPECT_TRUE(liste->hasFocus() || liste->lineEdit()->hasFocus());
  liste->lineEdit()->setText("al");
  f.Entree(liste);  // a single match is chosen at once
  EXPECT_EQ(Etat("Txt_Entite", "Cbo_Entite"), "001|ALPHA|on+|on+");
  liste->lineEdit()->clear();  // empties the code and resets the types
  EXPECT_EQ(Etat("Txt_Entite", "Cbo_Entite"), "||off|off");
  f.Entree(liste);
  EXPECT_EQ(liste->count(), 5);
  f.Taper(liste, "zu");
  f.Entree(liste);
  EXPECT_EQ(std::tuple(liste->count(), f.ui().Beeps()), std::tuple(0, 1));
  f.Taper(liste, "b");
  QTest::sendKeyEvent(QTest::Click, liste, Qt::Key_Eacute, QString::fromUtf8("é"), Qt::NoModifier);
  QTest::keyClicks(liste, "{");
  EXPECT_EQ(liste->currentText(), "zub");
  EXPECT_EQ(f.Messages().mid(1), QStringList({"Aucune entité commençant par ZU",
                                              "La saisie de minuscule accentuée est interdite sur cette zone.",
                                              "La saisie de minuscule accentuée est interdite sur cette zone."}));
  liste->lineEdit()->setText("b");
  f.Entree(liste);
  ASSERT_EQ(Controle::Elements(liste), QStringList({"BETA", "BRAVO"}));
  f.Choisir(liste, 1);  // the filtered row's code, not the full list's second
  EXPECT_EQ(Etat("Txt_Entite", "Cbo_Entite"), "005|BRAVO|on+|off");  // I and S: service provider
}

TEST_F(Lookup, ASingleEntityIsChosenAtInitAndAFailedListIsReported) {
  base.Entite("001", "ALPHA", {"P", "M"});
  Demarrer();
  EXPECT_EQ(Etat("Txt_Entite", "Cbo_Entite"), "001|ALPHA|on+|on+");
  base.db().DBOpen("DICT ACTIVITES").DBDelete("LibAssoActivites");  // the sort field is unknown
  Controle& f = Demarrer();
  EXPECT_TRUE(Critique("La liste des entités juridiques n'a pas pu être lue")) << f.Messages().join('|').toStdString();
  EXPECT_EQ(f.Cbo("Cbo_Entite")->count(), 0);
  f.Cliquer("Cac_ArretTravail");  // the form stays usable
  EXPECT_TRUE(f.Cac("Cac_ArretTravail")->isChecked());
}

TEST_F(Lookup, FortyThousandEntitiesAreListedWhole) {
  constexpr int kEntites = 40000;  // past the 32,767 of 16-bit counters
  const auto Code = [](int i) { return QString::number(i, 36).rightJustified(3, '0').toUpper().toStdString(); };
  std::vector<mvdb::KeyedRecord> noms, activites;  // written in batches: the listing is what is tested
  for (int i = 0; i < kEntites; ++i) {
    noms.push_back({Code(i), "E" + Code(i)});
    activites.push_back({Code(i) + "10", mvdb::testing_support::With({{12, "P"}})});
  }
  base.db().storage().PutMany("ASSOCIATION", noms);
  base.db().storage().PutMany("ACTIVITES", activites);
  Controle& f = Demarrer();
  EXPECT_EQ(f.Cbo("Cbo_Entite")->count(), kEntites);
  f.Taper(f.Txt("Txt_Entite"), QString::fromStdString(Code(kEntites - 1)));
  EXPECT_EQ(Etat("Txt_Entite", "Cbo_Entite"), Code(kEntites - 1) + "|E" + Code(kEntites - 1) + "|on+|off");
}

}  // namespace
}  // namespace morvane::testing
