// The classic event semantics on plain Qt widgets: when Change, Click,
// LostFocus and KeyPress run, and what nested changes do.
#include "control/event_adapter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QWidget>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace morvane::control {
namespace {

using namespace classic;

class EventAdapterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    adapter_ = new EventAdapter(
        [this](const char* name, const EventAdapter::Procedure& procedure) {
          log_.push_back(name);
          try {
            procedure();
          } catch (const std::runtime_error& e) {
            failures_.push_back(e.what());
          }
        },
        window_.get());
    field_ = new QLineEdit(window_.get());
    other_ = new QLineEdit(window_.get());
    other_->move(0, 40);
    list_ = new QComboBox(window_.get());
    list_->setEditable(true);
    list_->setInsertPolicy(QComboBox::NoInsert);
    list_->move(0, 80);
  }
  void TearDown() override { window_.reset(); }  // before the log it writes to
  void Show() {
    window_->show();
    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  int Count(const std::string& name) const { return static_cast<int>(std::count(log_.begin(), log_.end(), name)); }

  std::unique_ptr<QWidget> window_;
  EventAdapter* adapter_ = nullptr;
  QLineEdit* field_ = nullptr;
  QLineEdit* other_ = nullptr;
  QComboBox* list_ = nullptr;
  std::vector<std::string> log_;
  std::vector<std::string> failures_;
};

TEST_F(EventAdapterTest, FieldChangeRunsForCodeAndUserAlikeOnlyWhenTheTextChanges) {
  Show();
  adapter_->OnChange(field_, "Txt_Change", [] {});
  field_->setText("12");
  EXPECT_EQ(Count("Txt_Change"), 1);
  field_->setText("12");
  EXPECT_EQ(Count("Txt_Change"), 1);
  field_->setFocus();
  QTest::keyClicks(field_, "34");
  EXPECT_EQ(Count("Txt_Change"), 3);
  EXPECT_EQ(field_->text(), "1234");
}

TEST_F(EventAdapterTest, ListChangeRunsForTextWrittenButNotForSelectionChanges) {
  adapter_->OnChange(list_, "Cbo_Change", [] {});
  adapter_->OnClick(list_, "Cbo_Click", [] {});
  AddItem(list_, "NORD", 1);
  AddItem(list_, "SUD", 2);
  EXPECT_EQ(ListIndex(list_), -1);  // adding selects nothing
  EXPECT_TRUE(list_->currentText().isEmpty());
  list_->setEditText("NO");
  EXPECT_EQ(Count("Cbo_Change"), 1);
  list_->setCurrentIndex(1);  // the text follows the selection: no Change
  EXPECT_EQ(list_->currentText(), "SUD");
  ClearSelection(list_);
  EXPECT_EQ(ListIndex(list_), -1);
  EXPECT_TRUE(list_->currentText().isEmpty());
  EXPECT_EQ(Count("Cbo_Change"), 1);
  list_->setEditText("X");
  EXPECT_EQ(Count("Cbo_Change"), 2);
  list_->setCurrentIndex(0);
  Clear(list_);  // removes the items, keeps the text, runs nothing
  EXPECT_EQ(list_->count(), 0);
  EXPECT_EQ(list_->currentText(), "NORD");
  list_->setEditText("");
  EXPECT_EQ(Count("Cbo_Change"), 3);
  EXPECT_EQ(Count("Cbo_Click"), 0);
}

TEST_F(EventAdapterTest, ListClickRunsForAPickAndForAnIndexSetByCode) {
  Show();
  adapter_->OnChange(list_, "Cbo_Change", [] {});
  adapter_->OnClick(list_, "Cbo_Click", [] {});
  AddItem(list_, "NORD", 1);
  AddItem(list_, "SUD", 2);
  list_->setFocus();
  QTest::keyClick(list_, Qt::Key_Down);  // the user moves to the first item
  EXPECT_EQ(Count("Cbo_Click"), 1);
  EXPECT_EQ(ListIndex(list_), 0);
  adapter_->SetListIndex(list_, 1);
  EXPECT_EQ(Count("Cbo_Click"), 2);
  adapter_->SetListIndex(list_, -1);
  EXPECT_EQ(Count("Cbo_Click"), 2);
  EXPECT_EQ(Count("Cbo_Change"), 0);
  EXPECT_EQ(ItemData(list_, 1), 2);
  EXPECT_EQ(ItemData(list_, 5), 0);
}

TEST_F(EventAdapterTest, CheckBoxClickRunsOnEveryChangeOfValue) {
  auto* box = new QCheckBox(window_.get());
  adapter_->OnClick(box, "Cac_Click", [] {});
  SetValue(box, 1);
  SetValue(box, 0);
  SetValue(box, 0);
  EXPECT_EQ(Count("Cac_Click"), 2);
  SetValue(box, 2);
  EXPECT_EQ(Value(box), 2);
  EXPECT_EQ(Count("Cac_Click"), 3);
  box->click();  // grayed -> ticked -> unticked -> ticked: never grayed again
  EXPECT_EQ(Value(box), 1);
  box->click();
  box->click();
  EXPECT_EQ(Value(box), 1);
  EXPECT_EQ(Count("Cac_Click"), 6);
}

TEST_F(EventAdapterTest, OptionClickRunsOnlyWhenItBecomesSelected) {
  auto* a = new QRadioButton(window_.get());
  auto* b = new QRadioButton(window_.get());
  adapter_->OnClick(a, "Opt_A_Click", [] {});
  adapter_->OnClick(b, "Opt_B_Click", [] {});
  a->setChecked(true);
  b->click();
  a->click();
  a->click();  // already selected
  EXPECT_EQ(Count("Opt_A_Click"), 2);
  EXPECT_EQ(Count("Opt_B_Click"), 1);
}

TEST_F(EventAdapterTest, EnabledAndVisibleAreTheControlsOwnFlags) {
  auto* frame = new QWidget(window_.get());
  auto* box = new QCheckBox(frame);
  frame->setEnabled(false);
  EXPECT_TRUE(Enabled(box));
  EXPECT_FALSE(box->isEnabled());
  box->setEnabled(false);
  frame->setEnabled(true);
  EXPECT_FALSE(Enabled(box));
  EXPECT_TRUE(Visible(box));  // the window is not shown, the box is not hidden
  box->hide();
  EXPECT_FALSE(Visible(box));
}

TEST_F(EventAdapterTest, KeyPressGetsTheCodeAndMaySwallowOrReplaceIt) {
  Show();
  std::vector<int> codes;
  adapter_->OnKeyPress(field_, "Txt_KeyPress", [&](int& key) {
    codes.push_back(key);
    if (key == 'x') key = 0;            // swallowed
    if (key == 'a') key = 'A';          // replaced
  });
  field_->setFocus();
  QTest::keyClicks(field_, "bxa");
  QTest::keyClick(field_, Qt::Key_Backspace);
  QTest::keyClick(field_, Qt::Key_Return);
  QTest::keyClick(field_, Qt::Key_Left);  // types nothing: no KeyPress
  EXPECT_EQ(codes, (std::vector<int>{'b', 'x', 'a', 8, 13}));
  EXPECT_EQ(field_->text(), "b");  // "bA", then Backspace
  QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é"));
  QApplication::sendEvent(field_, &accented);
  EXPECT_EQ(codes.back(), 233);
}

TEST_F(EventAdapterTest, EnterInAListRunsKeyPressButPicksNoItem) {
  Show();
  adapter_->OnClick(list_, "Cbo_Click", [] {});
  int enters = 0;
  adapter_->OnKeyPress(list_, "Cbo_KeyPress", [&](int& key) { enters += key == 13 ? 1 : 0; });
  AddItem(list_, "SUD");
  list_->setFocus();
  QTest::keyClicks(list_, "SUD");
  QTest::keyClick(list_, Qt::Key_Return);
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(ListIndex(list_), -1);
  EXPECT_EQ(Count("Cbo_Click"), 0);
  EXPECT_EQ(list_->currentText(), "SUD");
}

TEST_F(EventAdapterTest, LostFocusRunsWhenTheFocusMovesWithinTheWindow) {
  Show();
  adapter_->OnLostFocus(field_, "Txt_LostFocus", [] {});
  field_->setFocus(Qt::MouseFocusReason);
  other_->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(Count("Txt_LostFocus"), 1);
  field_->setFocus(Qt::MouseFocusReason);
  QWidget elsewhere;  // another window takes the activation: not a LostFocus
  elsewhere.show();
  QApplication::setActiveWindow(&elsewhere);
  QApplication::processEvents();
  EXPECT_EQ(Count("Txt_LostFocus"), 1);
}

TEST_F(EventAdapterTest, NestedChangesRunAtOnceAndSettleAtAFixedPoint) {
  // The code field empties the list's text, which empties the code field...
  adapter_->OnChange(field_, "Txt_Change", [&] {
    if (field_->text().size() != 3) list_->setEditText(QString());
  });
  adapter_->OnChange(list_, "Cbo_Change", [&] {
    if (list_->currentText().isEmpty()) field_->setText(QString());
  });
  field_->setText("005");
  list_->setEditText("NORD");
  log_.clear();
  field_->setText("05");
  EXPECT_EQ(log_, (std::vector<std::string>{"Txt_Change", "Cbo_Change", "Txt_Change"}));
  EXPECT_TRUE(field_->text().isEmpty());
  EXPECT_EQ(adapter_->Nesting(), 0);
}

TEST_F(EventAdapterTest, AnEndlessCascadeFailsInsteadOfOverflowingTheStack) {
  int runs = 0;
  adapter_->OnChange(field_, "Txt_Change", [&] { field_->setText(QString::number(++runs)); });
  field_->setText("start");
  EXPECT_EQ(runs, EventAdapter::kMaxNesting);
  ASSERT_EQ(failures_.size(), 1u);
  EXPECT_NE(failures_[0].find("too deep"), std::string::npos);
  EXPECT_EQ(adapter_->Nesting(), 0);
}

}  // namespace
}  // namespace morvane::control
