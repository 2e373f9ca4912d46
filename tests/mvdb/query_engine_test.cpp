// The query engine on a small hand-made database: the query forms the control
// writes, sorting, numeric and text comparison, result lists and errors.
#include <gtest/gtest.h>

#include "mvdb/query/engine.h"
#include "query_test_data.h"

namespace mvdb {
namespace {

using testdata::Record;
using testdata::TempDatabase;
using testdata::Values;
using testdata::With;
using Keys = std::vector<std::string>;

class QueryEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { testdata::FillAbsences(t); }
  Keys Select(const std::string& q) { return t.db().queries().SelectKeys(q); }
  // DBSelect as the control calls it: query, file, attribute list.
  std::string DBSelect(const std::string& q, const std::string& file, const std::string& attributes, long& count) {
    return t.db().DBSelect(Record({q, file, attributes}), "", count).Text();
  }
  TempDatabase t;
};

TEST_F(QueryEngineTest, SortByAttributeWithKeyAndLabelColumns) {
  t.db().CreateFile("SECTEUR");
  t.Put("SECTEUR", "001", Record({"NORD"}));
  t.Put("SECTEUR", "002", Record({"CENTRE"}));
  t.Put("SECTEUR", "003", Record({"EST"}));
  t.Put("SECTEUR", "004", Record({"CENTRE"}));
  long count = -1;
  const std::string result = DBSelect("SSELECT SECTEUR PAR 1 ", "SECTEUR", "0 1", count);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(result, Record({"002\xFD" "CENTRE", "004\xFD" "CENTRE", "003\xFD" "EST", "001\xFD" "NORD"}));
}

TEST_F(QueryEngineTest, ActivitiesSortedByTranslatedEntityNameThenKey) {
  t.db().CreateFile("ASSOCIATION");
  t.db().CreateFile("ACTIVITES");
  t.Put("ASSOCIATION", "001", Record({"ZEN"}));
  t.Put("ASSOCIATION", "002", Record({"ALPHA"}));
  t.Put("ACTIVITES", "00102", With({{12, "M"}}));
  t.Put("ACTIVITES", "00101", With({{12, "P"}}));
  t.Put("ACTIVITES", "00201", With({{12, "S"}}));
  t.Put("ACTIVITES", "00301", With({{12, "I"}}));  // entity without record: empty name sorts first
  t.Dict("ACTIVITES", "LibAssoActivites", {"T", "ASSOCIATION", "@ID[1,3]", "1", "L", "", "entity"});
  EXPECT_EQ(Select("SSELECT ACTIVITES PAR LibAssoActivites PAR 0"), (Keys{"00301", "00201", "00101", "00102"}));
  long count = 0;
  EXPECT_EQ(DBSelect("SSELECT ACTIVITES AVEC 0 = \"001]\"", "ACTIVITES", "0 12", count),
            Record({"00101\xFD" "P", "00102\xFD" "M"}));
  EXPECT_EQ(Select("SSELECT ACTIVITES AVEC @ID = \"00]\" AND <> \"002]\""), (Keys{"00101", "00102", "00301"}));
}

TEST_F(QueryEngineTest, CommunesBeginningWith) {
  t.db().CreateFile("COMMUNES");
  t.Put("COMMUNES", "75056", Record({"PARIS"}));
  t.Put("COMMUNES", "64445", Record({"PAU"}));
  t.Put("COMMUNES", "69123", Record({"LYON"}));
  t.Put("COMMUNES", "95500", Record({"PARMAIN"}));
  EXPECT_EQ(Select("SSELECT COMMUNES AVEC 1 = \"PAR]\" PAR 1"), (Keys{"75056", "95500"}));
  EXPECT_EQ(Select("SSELECT COMMUNES AVEC 1 = \"]\" PAR 1"), (Keys{"69123", "75056", "95500", "64445"}));
}

TEST_F(QueryEngineTest, ReasonCodesCompareAsNumbers) {
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\""),
            (Keys{"000010316000", "000010616050", "000022916001", "000033016005"}));
  // "9" < "10" < "12": numbers, not text
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant >= \"9\" AND <= \"10\""),
            (Keys{"000010915990", "000011016100"}));
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant >= \"12\" AND <= \"17\" OR = \"23\" OR=\"25\""),
            (Keys{"000021216020", "000021716200", "000042316008", "000042516100"}));
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant >= \"7\" AND <= \"11\" OR = \"24\" OR = \"32\""
                   " OR >= \"50\""),
            (Keys{"000010915990", "000011016100", "000035016030"}));
}

TEST_F(QueryEngineTest, AndBindsTighterThanOrBetweenConditions) {
  // (reason 3) OR (reason 12 AND sector 002) OR (reason 22 AND sector 001)
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"3\" OR AVEC NumMotifAidant = \"12\""
                   " AND AVEC CodeSectAbs = \"002\" OR AVEC NumMotifAidant = \"22\" AND AVEC CodeSectAbs = \"001\""),
            (Keys{"000010316000", "000021216020"}));
}

TEST_F(QueryEngineTest, AbsenceQueryOfTheListWithSectorPeriodAndSorts) {
  const std::string q =
      "SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\" AND AVEC CodeSectAbs = \"001\""
      " AND AVEC DebAbsAidant <= \"16060\" AND AVEC 2 >= \"16000\" PAR SecteurAbsAidant"
      " PAR NomAidant PAR PrenomAidant PAR DebAbsAidant";
  // 00001 MARTIN Paul sector 001; 00003 MARTIN Alice sector 001: Alice first.
  EXPECT_EQ(Select(q), (Keys{"000033016005", "000010316000", "000010616050"}));
}

TEST_F(QueryEngineTest, EmptyValuesAndOpenEndedAbsences) {
  // last day >= S, or none: the open-ended absence 29 has an empty attribute 2
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC 2 >= \"16100\" OR = \"\""),
            (Keys{"000011016100", "000021716200", "000022916001", "000042516100"}));
  // no return date
  const Keys noReturn = Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"6\" AND AVEC 10 = \"\"");
  EXPECT_TRUE(noReturn.empty());
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC 28 = \"1\" PAR NomAidant"), (Keys{"000022216040", "000033016005"}));
}

TEST_F(QueryEngineTest, MultiValuedAttributeHoldsWhenAnyValueDoes) {
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC 17 = \"C2\""), (Keys{"000010616050"}));
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC 17 = \"C1\""), (Keys{"000010316000", "000010616050"}));
  // the tests of one condition apply to one value at a time
  EXPECT_TRUE(Select("SSELECT ABSENCESAIDANT AVEC 17 = \"C1\" AND = \"C2\"").empty());
  long count = 0;
  EXPECT_EQ(DBSelect("SSELECT ABSENCESAIDANT AVEC 17 = \"C2\"", "ABSENCESAIDANT", "0 17 1", count),
            "000010616050\xFD" "C1\xFC" "C2\xFD" "2");
}

TEST_F(QueryEngineTest, SortsRightJustifiedFieldsNumerically) {
  t.db().CreateFile("NUMS");
  t.Put("NUMS", "a", Record({"10"}));
  t.Put("NUMS", "b", Record({"9"}));
  t.Put("NUMS", "c", Record({""}));
  t.Put("NUMS", "d", Record({"100"}));
  t.Dict("NUMS", "R1", {"A", "1", "", "", "R"});
  t.Dict("NUMS", "L1", {"A", "1", "", "", "L"});
  EXPECT_EQ(Select("SSELECT NUMS PAR R1"), (Keys{"b", "a", "d", "c"}));
  EXPECT_EQ(Select("SSELECT NUMS PAR L1"), (Keys{"c", "a", "d", "b"}));
  EXPECT_EQ(Select("SSELECT NUMS"), (Keys{"a", "b", "c", "d"}));
}

TEST_F(QueryEngineTest, ContractQueryOfACarer) {
  t.db().CreateFile("CONTRAT");
  t.Dict("CONTRAT", "CodeAidant", {"K", "1", "5", "", "L", "1"});
  t.Put("CONTRAT", "0000101", With({{1, "01"}, {2, "001"}, {7, "15000"}, {8, ""}}));
  t.Put("CONTRAT", "0000102", With({{1, "02"}, {2, "001"}, {7, "15000"}, {8, "15500"}}));
  t.Put("CONTRAT", "0000103", With({{1, "02"}, {2, "001"}, {7, "15000"}, {8, "16500"}, {65, "X"}}));
  t.Put("CONTRAT", "0000201", With({{1, "01"}, {2, "001"}, {7, "15000"}, {8, ""}}));
  t.db().CreateIndex("CONTRAT", "CodeAidant");
  const std::string q = "SSELECT CONTRAT AVEC CodeAidant = \"00001\" AND AVEC 65 = \"\" AND AVEC 2 = \"001\"";
  EXPECT_EQ(Select(q + " AND AVEC 7 <= \"16060\" AND AVEC 8 >= \"16000\" OR = \"\""), (Keys{"0000101"}));
  EXPECT_EQ(Select(q + " AND AVEC 1 = \"02\" AND AVEC 7 <= \"16060\" AND AVEC 8 >= \"15400\" OR = \"\""),
            (Keys{"0000102"}));
}

TEST_F(QueryEngineTest, NothingSelectedGivesEmptyText) {
  long count = -1;
  EXPECT_EQ(DBSelect("SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"99\"", "", "0 1 2", count), "");
  EXPECT_EQ(count, 0);
}

struct BadQuery {
  const char* text;
  ErrorCode code;
  const char* message;
};

TEST_F(QueryEngineTest, MalformedQueriesFailWithCodeAndPositionAndChangeNothing) {
  const std::vector<BadQuery> cases = {
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"3", ErrorCode::kQuerySyntax, "position 46:"},
      {"SSELECT ABSENCESAIDANT AVEC Inconnu = \"3\"", ErrorCode::kUnknownField, "position 29:"},
      {"SSELECT ABSENCESAIDANT PAR Inconnu", ErrorCode::kUnknownField, "Inconnu"},
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant \"3\"", ErrorCode::kQuerySyntax, "expected an operator"},
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant =", ErrorCode::kQuerySyntax, "expected a quoted value"},
      {"SSELECT ABSENCESAIDANT AVEC 1 = \"1\" OR", ErrorCode::kQuerySyntax, "position 39:"},
      {"SSELECT ABSENCESAIDANT AVEC 1 = \"1\" AND AVEC", ErrorCode::kQuerySyntax, "position 45:"},
      {"SSELECT NULLEPART", ErrorCode::kFileNotFound, "NULLEPART"},
  };
  const auto filesBefore = t.db().FileNames();
  const auto keysBefore = Select("SSELECT ABSENCESAIDANT");
  for (const auto& c : cases) {
    long count = 0;
    try {
      DBSelect(c.text, "", "0", count);
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const DbError& e) {
      EXPECT_EQ(e.code(), c.code) << c.text << ": " << e.what();
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  EXPECT_EQ(t.db().FileNames(), filesBefore);
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT"), keysBefore);
}

TEST_F(QueryEngineTest, RequestFileMustMatchTheQuery) {
  long count = 0;
  EXPECT_THROW(DBSelect("SSELECT ABSENCESAIDANT", "CIVILAIDANT", "0", count), DbError);
}

}  // namespace
}  // namespace mvdb
