// Day numbers, typed-date normalisation and the printer choice of the date service.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QListWidget>

#include "services/outils_date.h"
#include "services/printer_choice_dialog.h"
#include "support/test_environment.h"

namespace morvane::services {
namespace {

using morvane::testing::ScopedEnv;

TEST(DayNumbers, AnchorsOfTheInternalCalendar) {
  EXPECT_EQ((std::vector<std::int32_t>{DayNumber({1968, 1, 1}), DayNumber({1967, 12, 31}), DayNumber({2011, 12, 31}),
                                       DayNumber({2012, 1, 1})}),
            (std::vector<std::int32_t>{1, 0, 16071, 16072}));
  EXPECT_EQ(std::tuple(DateOfDay(16071), DateOfDay(-1)), std::tuple(QDate(2011, 12, 31), QDate(1967, 12, 30)));
}

// Days that do not exist have no number; text that is no number has no date.
TEST(DateInterne, RefusesDaysThatDoNotExist) {
  auto service = MakeBatchOutilsDate(0, 1);
  QStringList numbers, dates;
  for (const char* typed : {"31/02/2024", "29/02/1900", "29/02/2023", "00/01/2024", "12/13/2024", "", "demain",
                            "29/02/2000", "29/02/2024"}) {
    numbers << service->DateInterne(QString::fromLatin1(typed));
  }
  for (const char* number : {"", "abc", "12.5", " 16071 "}) dates << service->DateExterne(QString::fromLatin1(number));
  EXPECT_EQ(numbers, QStringList({"", "", "", "", "", "", "", "11748", "20514"}));
  EXPECT_EQ(dates, QStringList({"", "", "", "31/12/2011"}));
  EXPECT_FALSE(service->ErreurSignalee());
}

TEST(FormaterDate, NormalisesTheTypedForms) {
  ScopedEnv today("MORVANE_TODAY", "2026-06-15");
  auto service = MakeBatchOutilsDate(0, 1);
  const std::vector<std::pair<QString, QString>> cases = {
      {"5/3/24", "05/03/2024"},      {"05/03/2024", "05/03/2024"}, {"050324", "05/03/2024"},
      {"05032024", "05/03/2024"},    {"5-3-2024", "05/03/2024"},   {"5.3.24", "05/03/2024"},
      {" 5 3 24 ", "05/03/2024"},    {"5/3", "05/03/2026"},        {"0503", "05/03/2026"},
      {"1/1/46", "01/01/1946"},      {"1/1/45", "01/01/2045"},     {"31/12/1899", "31/12/1899"},
      {"31/02/2024", "31/02/2024"},  // readable but not a day: DateInterne refuses it
      {"abc", "abc"},                {" 12/ab ", "12/ab"},         {"123", "123"},
      {"", ""},                      {"   ", ""},
  };
  for (const auto& [typed, expected] : cases) {
    QString text = typed;
    EXPECT_EQ(service->FormaterDate(text, false), expected) << typed.toStdString();
    EXPECT_EQ(text, typed) << "the typed text is left alone";
  }
  ScopedEnv then("MORVANE_TODAY", "2000-01-01");  // two-digit years follow the day
  for (const auto& [typed, expected] : {std::pair{"1/1/20", "01/01/1920"}, {"1/1/19", "01/01/2019"}, {"1/1/99", "01/01/1999"}}) {
    QString text = QString::fromLatin1(typed);
    EXPECT_EQ(service->FormaterDate(text, false), expected) << typed;
  }
}

TEST(PrinterChoiceDialogTest, SelectionStaysInTheListAndAnEmptyListCannotBeAccepted) {
  PrinterChoiceDialog dialog({QStringLiteral("A"), QStringLiteral("B")}, 5, QString());
  EXPECT_EQ(dialog.SelectedIndex(), 1);  // clamped into the list
  EXPECT_EQ(dialog.findChild<QListWidget*>()->count(), 2);

  PrinterChoiceDialog empty({}, 0, QStringLiteral("Imprimer"));
  EXPECT_EQ(empty.SelectedIndex(), -1);
  EXPECT_FALSE(empty.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled());
}

}  // namespace
}  // namespace morvane::services
