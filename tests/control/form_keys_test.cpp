// The form under the keyboard: what typing into the editable lists and
// leaving them does, and Enter on the focused buttons.
#include <QSignalSpy>

#include "lookup_fixture.h"

namespace morvane::testing {
namespace {

class FormKeys : public LookupTest {
 protected:
  void SetUp() override {
    Secteur("001", "NORD");
    Secteur("002", "SUD");
    Entite("010", "ALPHA", {"P"});
    Entite("020", "BETA", {"M"});
    Motifs({{"01", "Maladie"}, {"02", "Accident du travail"}});
    Demarrer();
  }
};

// Typing exactly an item's text and leaving the list, by Tab or by a click on
// "Imprimer", chooses nothing: the list's own procedure does not run (no code
// is written into the code field) and no item is selected.
TEST_F(FormKeys, TypingAnItemsTextAndLeavingTheListChoosesNothing) {
  Cliquer(Cac("Cac_ArretTravail"));  // the reason list is offered
  struct Case {
    const char* list;
    const char* text;
    const char* codeField;  // the field a pick would fill, or null
  };
  const Case cases[] = {{"Cbo_Secteur", "SUD", "Txt_Secteur"},
                        {"Cbo_Entite", "BETA", "Txt_Entite"},
                        {"Cbo_Motif", "Maladie", nullptr}};
  for (const bool tab : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.list) + (tab ? " Tab" : " click"));
      QComboBox* list = Cbo(c.list);
      control::classic::ClearSelection(list);
      if (c.codeField) Txt(c.codeField)->clear();
      Taper(list, QString::fromUtf8(c.text));
      if (tab) {
        QTest::keyClick(list, Qt::Key_Tab);
      } else {
        QTest::mouseClick(Get<QPushButton>("Cmd_Imprimer"), Qt::LeftButton, {}, QPoint(2, 2));
      }
      EXPECT_FALSE(list->hasFocus());
      EXPECT_EQ(list->currentIndex(), -1);
      EXPECT_EQ(list->currentText(), QString::fromUtf8(c.text));
      if (c.codeField) EXPECT_EQ(Txt(c.codeField)->text(), QString());
    }
  }
}

TEST_F(FormKeys, EnterOnAFocusedButtonPressesIt) {
  auto* imprimer = Get<QPushButton>("Cmd_Imprimer");
  imprimer->setFocus(Qt::TabFocusReason);
  QTest::keyClick(imprimer, Qt::Key_Return);
  EXPECT_EQ(Messages(), QStringList{"Au moins un type d'absence doit être sélectionné."});

  QSignalSpy unloads(&control(), &control::Ctr_Morvane::unloadRequested);
  auto* sortir = Get<QPushButton>("Cmd_Sortir");
  sortir->setFocus(Qt::TabFocusReason);
  QTest::keyClick(sortir, Qt::Key_Enter);
  EXPECT_EQ(unloads.count(), 1);
}

}  // namespace
}  // namespace morvane::testing
