// A small hand-made database and a shown control on it, for the tests of the
// selection form's look-ups: sectors, communes, legal entities with their
// activities, and the reason table. The tests act on the form as a user does
// (typing, Enter, leaving a field, picking a list item).
#pragma once

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "control/ctr_morvane.h"
#include "control/event_adapter.h"
#include "mvdb/database.h"
#include "services/droits.h"
#include "services/environment.h"
#include "services/outils_date.h"
#include "services/recording_ui.h"
#include "shown_control.h"
#include "test_database.h"

/// Failure messages show texts as text, not as arrays of UTF-16 units.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace morvane::testing {

/// A test with the database of test_database.h and a control on it, shown in an active
/// window. Fill the database in the test, then call Demarrer() (INIT).
class LookupTest : public ::testing::Test, public TestDatabase, public ShownControl {
 protected:
  /// Sectors the user may see; the test may change it before Demarrer().
  std::vector<QString> secteursAutorises{"001", "002", "005"};

  void TearDown() override { DetruireControle(); }

  /// Creates the control, hands it the database and the rights, shows it and
  /// runs INIT. Messages go to the recorder `ui()`.
  void Demarrer() {
    Remise remise;
    remise.database = &db();
    remise.droits = services::MakeDroits("test", 2, secteursAutorises);
    remise.environment->outputDir = std::filesystem::temp_directory_path();
    remise.closesHostWindow = false;
    CreerControle(std::move(remise));
    control_->INIT();
  }

  services::RecordingUiServices& ui() { return *ui_; }
  control::Ctr_Morvane& control() { return *control_; }

  template <class W>
  W* Get(const char* name) {
    W* widget = control_->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Txt(const char* name) { return Get<QLineEdit>(name); }
  QComboBox* Cbo(const char* name) { return Get<QComboBox>(name); }
  QCheckBox* Cac(const char* name) { return Get<QCheckBox>(name); }
  QRadioButton* Opt(const char* name) { return Get<QRadioButton>(name); }

  /// Clicks into a field (it takes the focus) and types the text.
  void Taper(QWidget* field, const QString& text) {
    field->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(field, text);
  }
  void Entree(QWidget* field) { QTest::keyClick(field, Qt::Key_Return); }
  /// Types one character that has no key of its own on a plain keyboard ("é").
  void TaperCaractere(QWidget* field, Qt::Key key, const QString& character) {
    QTest::sendKeyEvent(QTest::Click, field, key, character, Qt::NoModifier);
  }
  /// Leaves the focused field for another one (as a mouse click there does).
  void Quitter(QWidget* next) { next->setFocus(Qt::MouseFocusReason); }
  /// Clicks an option or a check box.
  void Cliquer(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, 5)); }

  /// Picks item `index` of a list with the mouse: opens it and clicks the item.
  void Choisir(QComboBox* list, int index) {
    list->showPopup();
    QAbstractItemView* view = list->view();
    const QRect rect = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QApplication::processEvents();
  }

  /// Texts of a list's items.
  static QStringList Elements(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
    return items;
  }

  QStringList Messages() const {
    QStringList texts;
    for (const QString& t : ui_->MessageTexts()) texts << t;
    return texts;
  }

};

}  // namespace morvane::testing
