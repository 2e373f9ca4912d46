// The classic event semantics on plain Qt widgets where the form's own tests
// (Formulaire, Lookup) cannot show them: a list's Change against a pick, an
// option's Click against its unselection, LostFocus and another window,
// nested changes, an endless cascade.
#include "control/event_adapter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
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

TEST_F(EventAdapterTest, ListChangeRunsForTextWrittenButNotForTheTextOfAPick) {
  adapter_->OnChange(list_, "Cbo_Change", [] {});
  classic::AddItem(list_, "NORD", 1);
  classic::AddItem(list_, "SUD", 2);
  list_->setEditText("NO");
  list_->setCurrentIndex(1);  // the text follows the selection: no Change
  classic::ClearSelection(list_);
  list_->setEditText("X");
  EXPECT_EQ(log_, (std::vector<std::string>{"Cbo_Change", "Cbo_Change"}));
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
  EXPECT_EQ(log_, (std::vector<std::string>{"Opt_A_Click", "Opt_B_Click", "Opt_A_Click"}));
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
