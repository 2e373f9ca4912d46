// The association's routine CALCCOEFFTXHOR: the grid rate in force, the legal
// minimum wage otherwise, refusal of bad arguments.

#include <algorithm>

#include "association/hourly_rate.h"
#include "mvdb/engine_test_support.h"

namespace morvane::association {
namespace {

using mvdb::testing_support::Attrs;
using mvdb::testing_support::Failure;
using mvdb::testing_support::With;

class HourlyRateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterAssociationRoutines(t.db().routines());
    t.Put("CONTRAT", "C1", With({{20, "G1"}}));
    t.Put("CONTRAT", "C2", "");
    t.Put("CONTRAT", "C3", With({{20, "MISSING"}}));
    // rates x 1000 in attribute 10, in parallel the months from which they apply, in any order
    t.Put("GRILLESCC", "G1", With({{7, "Auxiliaire de vie"}, {10, "12100\xFD" "12500\xFD" "12300\xFD" "abc"},
                                   {11, "202401\xFD" "202501\xFD" "202407\xFD" "202412"}}));
  }
  std::string Call(const std::string& arguments) {
    std::int32_t status = -5;
    std::string answer;
    const std::string failure = Failure([&] { answer = t.db().DBCall("CALCCOEFFTXHOR", status, arguments).Text(); });
    EXPECT_EQ(status == 0, failure == "no error") << arguments;
    std::replace(answer.begin(), answer.end(), mvdb::kAttributeMark, ' ');
    return failure == "no error" ? answer : failure;
  }
  mvdb::testing_support::ScratchDatabase t{mvdb::testing_support::StorageKind::kEmbedded, {"CONTRAT", "GRILLESCC"}};
};

TEST_F(HourlyRateTest, GridRateInForceThatMonthOrTheLegalMinimum) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Attrs({"C1", "1", "202406"}), "GRILLE 12100 202401"},
      {Attrs({"C1", "1", "202407"}), "GRILLE 12300 202407"},
      {Attrs({"C1", "1", "202412"}), "GRILLE 12300 202407"},  // a non-numeric rate is skipped
      {Attrs({"C1", "1", "202612"}), "GRILLE 12500 202501"},
      {Attrs({"C1", "1", "202312"}), "SMIC 11520 202305"},    // before the grid's first rate
      {Attrs({"C2", "0", "202306"}), "SMIC 11520 202305"},    // no grid
      {Attrs({"C3", "2", "202412"}), "SMIC 11880 202411"},    // a grid that does not exist
      {Attrs({"C2", "0", "190001"}), "SMIC 10030 201901"},    // before the table: its first rate
      {Attrs({"", "1", "202401"}), "0x80040031 CALCCOEFFTXHOR: argument 1 (contract key) is empty"},
      {Attrs({"C1", "x", "202401"}),
       "0x80040031 CALCCOEFFTXHOR: argument 2 (position of the last rate) must be a whole number, got \"x\""},
      {Attrs({"C1", "", "202401"}),
       "0x80040031 CALCCOEFFTXHOR: argument 2 (position of the last rate) must be a whole number, got \"\""},
      {Attrs({"C1", "1", "202413"}), "0x80040031 CALCCOEFFTXHOR: argument 3 must be a year and month yyyymm, got \"202413\""},
      {Attrs({"C1", "1", "2024"}), "0x80040031 CALCCOEFFTXHOR: argument 3 must be a year and month yyyymm, got \"2024\""},
      {Attrs({"NOPE", "1", "202401"}), "0x80040031 CALCCOEFFTXHOR: contract \"NOPE\" does not exist"},
  };
  for (const auto& [arguments, expected] : cases) EXPECT_EQ(Call(arguments), expected);
  EXPECT_EQ(LegalMinimumHourlyRate(202410), 11650);
  EXPECT_EQ(LegalMinimumHourlyRate(202411), 11880);
}

}  // namespace
}  // namespace morvane::association
