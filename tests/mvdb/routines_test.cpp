// The server routine CALCCOEFFTXHOR: grid rate in force, legal minimum as the
// fallback, refusal of bad arguments.
#include <gtest/gtest.h>

#include "engine_test_support.h"
#include "mvdb/database.h"
#include "mvdb/routines.h"

namespace mvdb {
namespace {

using testing_support::Attrs;
using testing_support::CodeOf;
using testing_support::ScratchDir;

class HourlyRateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db = Database::Create(dir / "base.mvdb");
    db->CreateFile("CONTRAT");
    db->CreateFile("GRILLESCC");
    Put("CONTRAT", "C1", "20", "G1");
    Put("CONTRAT", "C2", "20", "");
    Put("CONTRAT", "C3", "20", "MISSING");
    DynArray grid = db->DBOpen("GRILLESCC").DBNew("G1");
    grid.SetItem(7, "Auxiliaire de vie");
    grid.SetItem(10, "12100\xFD" "12500\xFD" "12300");  // rates, in any order of months
    grid.SetItem(11, "202401\xFD" "202501\xFD" "202407");
    grid.DBWrite();
  }
  void Put(const std::string& file, const std::string& key, const std::string& attribute, const std::string& text) {
    DynArray r = db->DBOpen(file).DBNew(key);
    r.SetItem(std::stoi(attribute), text);
    r.DBWrite();
  }
  DynArray Call(const std::string& arguments) {
    std::int32_t status = -5;
    DynArray answer = db->DBCall("CALCCOEFFTXHOR", status, arguments);
    EXPECT_EQ(status, 0);
    return answer;
  }
  ScratchDir dir;
  std::unique_ptr<Database> db;
};

TEST_F(HourlyRateTest, GridRateInForceThatMonth) {
  EXPECT_EQ(Call(Attrs({"C1", "1", "202406"})).Item(2), "12100");
  EXPECT_EQ(Call(Attrs({"C1", "1", "202407"})).Item(2), "12300");
  EXPECT_EQ(Call(Attrs({"C1", "1", "202612"})).Item(2), "12500");
  EXPECT_EQ(Call(Attrs({"C1", "1", "202612"})).Item(1), "GRILLE");
}

TEST_F(HourlyRateTest, LegalMinimumWithoutAGridOrBeforeItsFirstRate) {
  EXPECT_EQ(Call(Attrs({"C2", "0", "202306"})).Item(2), "11520");
  EXPECT_EQ(Call(Attrs({"C3", "2", "202412"})).Item(2), "11880");
  const DynArray early = Call(Attrs({"C1", "1", "202312"}));
  EXPECT_EQ(early.Item(1), "SMIC");
  EXPECT_EQ(early.Item(2), "11520");
  EXPECT_EQ(LegalMinimumHourlyRate(202301), 11270);
  EXPECT_EQ(LegalMinimumHourlyRate(202410), 11650);
  EXPECT_EQ(LegalMinimumHourlyRate(202411), 11880);
  EXPECT_EQ(LegalMinimumHourlyRate(190001), LegalMinimumHourlyRate(201901));
}

TEST_F(HourlyRateTest, BadArgumentsAreRefusedNamingTheProblem) {
  for (const std::string& arguments : {Attrs({"", "1", "202401"}), Attrs({"C1", "x", "202401"}),
                                       Attrs({"C1", "1", "202413"}), Attrs({"C1", "1", "2024"}),
                                       Attrs({"C1", "", "202401"}), Attrs({"NOPE", "1", "202401"}),
                                       std::string("\xFE\xFD\xFC")}) {
    std::int32_t status = 0;
    try {
      db->DBCall("CALCCOEFFTXHOR", status, arguments);
      ADD_FAILURE() << "accepted";
    } catch (const DbError& e) {
      EXPECT_EQ(e.code(), ErrorCode::kRoutineFailed);
      EXPECT_NE(std::string(e.what()).find("CALCCOEFFTXHOR"), std::string::npos);
    }
    EXPECT_NE(status, 0);
  }
}

TEST_F(HourlyRateTest, RegistryRunsRoutinesAddedByName) {
  db->routines().Register("ECHO", [](Database&, const DynArray& args) { return DynArray(args.Item(1)); });
  std::int32_t status = 1;
  EXPECT_EQ(db->DBCall("ECHO", status, Attrs({"hello"})).Text(), "hello");
  EXPECT_EQ(CodeOf([&] { db->DBCall("echo", status, ""); }), 0x80040030u);
}

}  // namespace
}  // namespace mvdb
