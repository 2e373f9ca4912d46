// The selection form under the mouse and the keyboard: its design-time
// state, the option interplay, the reason list, the date fields and the
// criteria check that "Imprimer" runs first.

#include "builder.h"

namespace morvane::testing {
namespace {

using control::classic::Enabled;
using control::classic::Value;
using control::classic::Visible;

class Formulaire : public FormTest {
 protected:
  Formulaire() {
    base.Secteur("001", "NORD");
    base.Secteur("002", "SUD");
    base.Write("COMMUNES", "69000", {{1, {"LYON"}}});
    base.Entite("010", "ALPHA", {"P", "M"});
    base.Entite("020", "BETA", {"P"});
  }
  /// The form opened on `reasons`.
  Controle& Ouvrir(const std::vector<std::pair<std::string, std::string>>& reasons = {{"01", "Maladie"}}) {
    base.Motifs(reasons);
    return Open();
  }
  /// Which of these controls are enabled, as "name" or "-name".
  QStringList Actifs(std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) out << (Enabled(form->Get<QWidget>(name)) ? "" : "-") + QString::fromLatin1(name);
    return out;
  }
  QList<int> Codes() {
    QList<int> codes;
    for (int i = 0; i < form->Cbo("Cbo_Motif")->count(); ++i) codes << form->Cbo("Cbo_Motif")->itemData(i).toInt();
    return codes;
  }
  bool MotifVisible() { return Visible(form->Cbo("Cbo_Motif")) && Visible(form->Get<QLabel>("Etq_Motif")); }
  /// "Imprimer" pressed with the messages of earlier steps forgotten.
  QStringList Refus() {
    form->ui().Clear();
    form->Cliquer("Cmd_Imprimer");
    return form->Messages();
  }
};

TEST_F(Formulaire, DesignTimeStateAndTheOptionInterplay) {
  Controle& f = Ouvrir();
  for (const char* checked : {"Opt_Liste", "Opt_Secteur", "Opt_PeriodeRef", "Opt_Alpha"}) EXPECT_TRUE(f.Opt(checked)->isChecked());
  for (const char* box : {"Cac_ArretTravail", "Cac_Conges", "Cac_EvtFam", "Cac_AValider", "Cac_PasDateRep"}) {
    EXPECT_EQ(Value(f.Cac(box)), 0) << box;
  }
  EXPECT_EQ(Actifs({"Opt_LettreInfo", "Cdr_LettreInfo", "Opt_LettreType", "Opt_LettrePubli", "Cac_PasDateRep"}),
            QStringList({"-Opt_LettreInfo", "-Cdr_LettreInfo", "-Opt_LettreType", "-Opt_LettrePubli", "Cac_PasDateRep"}));
  EXPECT_FALSE(Visible(f.Get<QWidget>("Ctr_Vellaro1")) || Visible(f.Get<QWidget>("Ctr_Dorsany")) ||
               Visible(f.Get<QWidget>("Ctr_Brinel")));

  // "qui n'ont pas de date de reprise" only with sick leave; it keeps its tick.
  f.Cliquer({"Cac_ArretTravail", "Cac_PasDateRep", "Cac_Conges"});
  EXPECT_EQ(std::tuple(Enabled(f.Cac("Cac_PasDateRep")), Value(f.Cac("Cac_PasDateRep"))), std::tuple(false, 1));
  f.Cliquer("Cac_Conges");  // unticking does not enable it again; unticking sick leave does
  EXPECT_FALSE(Enabled(f.Cac("Cac_PasDateRep")));
  f.Cliquer({"Cac_ArretTravail", "Cac_ArretTravail"});
  EXPECT_TRUE(Enabled(f.Cac("Cac_PasDateRep")));

  // The letters: sick leave alone and "Avec fin d'absence ..."; the sub-options
  // open with them and keep their choice while closed.
  const std::pair<const char*, bool> etapes[] = {{"Opt_FinPeriodeRef", true}, {"Opt_PeriodeRef", false},
                                                 {"Opt_FinPeriodeRef", true}, {"Opt_DebutPeriodeRef", false},
                                                 {"Cac_AValider", false},     {"Opt_FinPeriodeRef", false},
                                                 {"Cac_AValider", true}};
  for (const auto& [clic, lettres] : etapes) {
    f.Cliquer(clic);
    EXPECT_EQ(Enabled(f.Opt("Opt_LettreInfo")), lettres) << clic;
  }
  f.Cliquer("Opt_LettreInfo");
  EXPECT_EQ(Actifs({"Cdr_LettreInfo", "Opt_LettreType", "Opt_LettrePubli"}),
            QStringList({"Cdr_LettreInfo", "Opt_LettreType", "Opt_LettrePubli"}));
  f.Cliquer("Opt_LettrePubli");
  for (const char* autre : {"Opt_Liste", "Opt_Graphique", "Option1"}) {
    f.Cliquer(autre);
    EXPECT_EQ(Actifs({"Cdr_LettreInfo", "Opt_LettreType", "Opt_LettrePubli"}),
              QStringList({"-Cdr_LettreInfo", "-Opt_LettreType", "-Opt_LettrePubli"}));
    EXPECT_TRUE(f.Opt("Opt_LettrePubli")->isChecked());
    f.Cliquer("Opt_LettreInfo");
  }

  // "Commune" and "Secteur": label, code length and list, the code emptied
  // (a commune code is never looked up as a sector); "Totalité" hides them.
  const auto lieu = [&](const char* code, const char* option) {
    f.Txt("Txt_Secteur")->setText(code);
    f.Cliquer(option);
    return std::tuple(f.Get<QLabel>("Etq_Secteur")->text(), f.Txt("Txt_Secteur")->maxLength(), f.Txt("Txt_Secteur")->text(),
                      Controle::Elements(f.Cbo("Cbo_Secteur")));
  };
  EXPECT_EQ(lieu("001", "Opt_Com"), std::tuple("Commune", 5, "", QStringList{"LYON"}));
  EXPECT_EQ(lieu("69000", "Opt_Secteur"), std::tuple("Secteur", 3, "", QStringList({"NORD", "SUD"})));
  f.Txt("Txt_Secteur")->setText("002");
  f.Cliquer("Opt_Tot");
  EXPECT_EQ(std::tuple(f.Txt("Txt_Secteur")->text(), f.Cbo("Cbo_Secteur")->currentText()), std::tuple("", ""));
  EXPECT_FALSE(Visible(f.Get<QLabel>("Etq_Secteur")) || Visible(f.Txt("Txt_Secteur")) || Visible(f.Cbo("Cbo_Secteur")));
  f.Cliquer("Opt_Secteur");
  EXPECT_TRUE(Visible(f.Txt("Txt_Secteur")) && Visible(f.Cbo("Cbo_Secteur")));
  EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(Formulaire, TheReasonsOfEachTypeSortedByteByByte) {
  // Position p holds code p up to 32, except 24 whose code is "58" (an
  // "Autres" reason at a fixed position, also offered for being "50" or
  // more); then 35, 50, 61 and a three-character "6" that passes the text
  // comparison with "50".
  std::vector<std::pair<std::string, std::string>> reasons;
  for (int p = 1; p <= 32; ++p) {
    const std::string code = p == 24 ? "58" : QString::number(p).rightJustified(2, '0').toStdString();
    reasons.emplace_back(code, "Motif " + code);
  }
  reasons[0].second = "maladie";         // lower case after upper case
  reasons[1].second = "Accident";
  reasons[2].second = "\xC3\x89tat";  // "État": after the plain alphabet
  reasons[3].second = "Zona";
  for (const auto& r : {std::pair{"35", "Formation"}, {"50", "Autre absence"}, {"61", "Visite"}, {"6", "Six"}}) {
    reasons.emplace_back(r.first, r.second);
  }
  Controle& f = Ouvrir(reasons);
  EXPECT_EQ(f.Cbo("Cbo_Motif")->count(), 0);  // nothing before the first tick
  f.Cliquer("Cac_ArretTravail");
  EXPECT_EQ(Controle::Elements(f.Cbo("Cbo_Motif")),
            QStringList({"Accident", "Motif 05", "Motif 06", "Motif 29", "Motif 30", "Zona", "maladie", "État"}));
  EXPECT_EQ(Codes(), QList<int>({2, 5, 6, 29, 30, 4, 1, 3}));
  f.Choisir(f.Cbo("Cbo_Motif"), 0);
  f.Cliquer("Cac_Conges");  // two types: hidden and cleared, the items kept
  EXPECT_EQ(std::tuple(MotifVisible(), f.Cbo("Cbo_Motif")->currentText(), f.Cbo("Cbo_Motif")->count()), std::tuple(false, "", 8));
  f.Cliquer("Cac_ArretTravail");  // "Congés" alone
  EXPECT_EQ(Codes(), QList<int>({12, 13, 14, 15, 16, 17, 23, 25, 26, 27, 28, 31}));
  f.Cliquer("Cac_Conges");  // none ticked: shown, the items kept
  EXPECT_EQ(std::tuple(MotifVisible(), f.Cbo("Cbo_Motif")->count()), std::tuple(true, 12));
  f.Cliquer("Cac_EvtFam");  // fixed 7-11, 24 ("58"), 32; then "58" again, "50", "61" and "6"
  EXPECT_EQ(Codes(), QList<int>({50, 7, 8, 9, 10, 11, 32, 58, 58, 6, 61}));
  f.Cliquer({"Cac_EvtFam", "Cac_AValider"});
  EXPECT_EQ(Codes(), QList<int>({22}));
  f.Cliquer("Cac_AValider");
  // A grayed box counts for no type (and makes no letter); a plain tick does.
  f.Cliquer("Opt_FinPeriodeRef");
  control::classic::SetValue(f.Cac("Cac_ArretTravail"), 2);
  EXPECT_EQ(std::tuple(Codes().size(), Enabled(f.Opt("Opt_LettreInfo"))), std::tuple(1, false));
  control::classic::SetValue(f.Cac("Cac_ArretTravail"), 1);
  EXPECT_EQ(std::tuple(Codes().size(), Enabled(f.Opt("Opt_LettreInfo"))), std::tuple(8, true));

  base.db().DBOpen("TABLES").DBDelete("ABSENCES");
  f.Cliquer({"Cac_ArretTravail", "Cac_ArretTravail"});
  EXPECT_EQ(f.Cbo("Cbo_Motif")->count(), 0);
  EXPECT_EQ(f.Messages(true), QStringList{"La table des motifs d'absence (ABSENCES) est introuvable dans le fichier TABLES. [!]"});
  EXPECT_TRUE(f.Libre());
}

TEST_F(Formulaire, DatesAndTheCriteriaCheckInTheirOrder) {
  Controle& f = Ouvrir();
  QLineEdit* debut = f.Txt("Txt_Debut");
  QLineEdit* fin = f.Txt("Txt_Fin");
  f.Taper(fin, "1/2/24");
  f.Quitter(debut);  // normalised on the way out
  EXPECT_EQ(fin->text(), "01/02/2024");
  f.Taper(debut, "31/2/24");
  f.Quitter(fin);  // no such day: said, kept in its normalised form, the focus back
  EXPECT_EQ(std::tuple(f.Messages(), debut->text(), debut->hasFocus()),
            std::tuple(QStringList{"Erreur de saisie dans la date, veuillez la ressaisir."}, "31/02/2024", true));
  debut->clear();
  fin->clear();

  // Each refusal in its order, the focus where it says (a refusal naming no
  // field leaves it on the button), the exclamation icon for all.
  const auto refus = [&](const char* message, QWidget* focus) {
    EXPECT_EQ(Refus(), QStringList{message});
    EXPECT_TRUE(focus->hasFocus()) << message;
  };
  refus("Au moins un type d'absence doit être sélectionné.", f.Cmd("Cmd_Imprimer"));
  f.Cliquer("Cac_ArretTravail");
  refus("La date de début doit être renseignée.", debut);
  f.Taper(debut, "15/03/2024");
  refus("La date de fin doit être renseignée.", fin);
  f.Taper(fin, "14/03/2024");
  refus("La date de début doit être inférieure à la date de fin.", fin);
  EXPECT_EQ(std::tuple(debut->text(), fin->text()), std::tuple("15/03/2024", ""));
  f.Taper(fin, "15/03/2024");  // a single day is a period
  f.Taper(f.Txt("Txt_Entite"), "010");  // both types offered and both unticked
  f.Cliquer({"Cac_Prest", "Cac_Mandat"});
  refus("Au moins un type d'activité doit être coché.", f.Cmd("Cmd_Imprimer"));
  for (const auto& message : f.Messages(true)) EXPECT_TRUE(message.endsWith("[!]"));
  f.Txt("Txt_Entite")->clear();
  f.Taper(f.Txt("Txt_Entite"), "020");  // one type offered: the boxes are not looked at
  f.Cliquer("Cac_Prest");
  EXPECT_EQ(Refus(), QStringList{"Aucune absence correspondant aux critères sélectionnés."});  // checked, selected
}

TEST_F(Formulaire, AGrayedTypeCountsAndImprimerAfterABadDateRefusesItOnce) {
  Controle& f = Ouvrir();
  f.Taper(f.Txt("Txt_Fin"), "31/03/2024");
  f.Taper(f.Txt("Txt_Debut"), "32/13/2024");
  control::classic::SetValue(f.Cac("Cac_EvtFam"), 2);  // grayed: a type for the check
  f.ui().Clear();
  QTest::mouseClick(f.Cmd("Cmd_Imprimer"), Qt::LeftButton);  // leaves the field, then presses
  const QString erreur = "Erreur de saisie dans la date, veuillez la ressaisir.";
  EXPECT_EQ(f.Messages(), QStringList({erreur, erreur}));
  EXPECT_TRUE(f.Txt("Txt_Debut")->hasFocus());
  f.Txt("Txt_Debut")->setText("01/03/2024");
  EXPECT_EQ(Refus(), QStringList{"Aucune absence correspondant aux critères sélectionnés."});  // checked, selected
}

// Typing exactly an item's text and leaving the list, by Tab or by a click
// on "Imprimer", chooses nothing; Enter on a focused button presses it.
TEST_F(Formulaire, OnlyAPickChoosesAndEnterPressesButtons) {
  Controle& f = Ouvrir({{"01", "Maladie"}, {"02", "Accident du travail"}});
  f.Cliquer("Cac_ArretTravail");
  const std::tuple<const char*, const char*, const char*> cas[] = {
      {"Cbo_Secteur", "SUD", "Txt_Secteur"}, {"Cbo_Entite", "BETA", "Txt_Entite"}, {"Cbo_Motif", "Maladie", nullptr}};
  for (const bool tab : {true, false}) {
    for (const auto& [name, texte, codeField] : cas) {
      SCOPED_TRACE(std::string(name) + (tab ? " Tab" : " click"));
      QComboBox* list = f.Cbo(name);
      control::classic::ClearSelection(list);
      if (codeField) f.Txt(codeField)->clear();
      f.Taper(list, QString::fromUtf8(texte));
      tab ? QTest::keyClick(list, Qt::Key_Tab) : QTest::mouseClick(f.Cmd("Cmd_Imprimer"), Qt::LeftButton, {}, QPoint(2, 2));
      EXPECT_EQ(std::tuple(list->hasFocus(), list->currentIndex(), list->currentText()), std::tuple(false, -1, texte));
      if (codeField) {
        EXPECT_EQ(f.Txt(codeField)->text(), "");
      }
    }
  }
  f.Cliquer("Cac_ArretTravail");
  f.Cmd("Cmd_Imprimer")->setFocus(Qt::TabFocusReason);
  f.ui().Clear();
  QTest::keyClick(f.Cmd("Cmd_Imprimer"), Qt::Key_Return);
  EXPECT_EQ(f.Messages(), QStringList{"Au moins un type d'absence doit être sélectionné."});
  f.Cmd("Cmd_Sortir")->setFocus(Qt::TabFocusReason);
  QTest::keyClick(f.Cmd("Cmd_Sortir"), Qt::Key_Enter);
  EXPECT_EQ(f.unloads, 1);
}

}  // namespace
}  // namespace morvane::testing
