// The query engine on a small hand-made database: the selections and sorts the
// control writes, the result list, and failures with their whole messages.
#include <algorithm>
#include <tuple>

#include "engine_test_support.h"
#include "mvdb/query/engine.h"

namespace mvdb {
namespace {

using testing_support::Attrs;
using testing_support::Failure;
using testing_support::With;

class QueryEngineTest : public testing_support::BothStorages {
 protected:
  void Prepare() override {
    testing_support::FillAbsences(t);
    for (const char* file : {"SECTEUR", "ASSOCIATION", "ACTIVITES", "COMMUNES", "NUMS", "CONTRAT"})
      t.db().CreateFile(file);
    for (const auto& [key, name] : {std::pair{"001", "NORD"}, {"002", "CENTRE"}, {"003", "EST"}, {"004", "CENTRE"}})
      t.Put("SECTEUR", key, name);
    t.Put("ASSOCIATION", "001", "ZEN");
    t.Put("ASSOCIATION", "002", "ALPHA");
    for (const auto& [key, kind] : {std::pair{"00102", "M"}, {"00101", "P"}, {"00201", "S"}, {"00301", "I"}})
      t.Put("ACTIVITES", key, With({{12, kind}}));
    t.Dict("ACTIVITES", "LibAssoActivites", {"T", "ASSOCIATION", "@ID[1,3]", "1", "L", "", "entity"});
    for (const auto& [key, town] : {std::pair{"75056", "PARIS"}, {"64445", "PAU"}, {"69123", "LYON"}, {"95500", "PARMAIN"}})
      t.Put("COMMUNES", key, town);
    for (const auto& [key, number] : {std::pair{"a", "10"}, {"b", "9"}, {"c", ""}, {"d", "100"}}) t.Put("NUMS", key, number);
    t.Dict("NUMS", "R1", {"A", "1", "", "", "R"});
    t.Dict("NUMS", "L1", {"A", "1", "", "", "L"});
    t.Dict("CONTRAT", "CodeAidant", {"K", "1", "5", "", "L", "1"});
    t.Put("CONTRAT", "0000101", With({{1, "01"}, {2, "001"}, {7, "15000"}, {8, ""}}));
    t.Put("CONTRAT", "0000102", With({{1, "02"}, {2, "001"}, {7, "15000"}, {8, "15500"}}));
    t.Put("CONTRAT", "0000103", With({{1, "02"}, {2, "001"}, {7, "15000"}, {8, "16500"}, {65, "X"}}));
    t.Put("CONTRAT", "0000201", With({{1, "01"}, {2, "001"}, {7, "15000"}, {8, ""}}));
    t.db().CreateIndex("CONTRAT", "CodeAidant");
  }
  // DBSelect as the control calls it: query, file, attribute list.
  std::string Select(const std::string& query, const std::string& attributes = "0", const std::string& file = "") {
    long count = -1;
    std::string rows = t.db().DBSelect(Attrs({query, file, attributes}), "", count).Text();
    std::replace(rows.begin(), rows.end(), kAttributeMark, ' ');
    return rows;
  }
  testing_support::ScratchDatabase t{GetParam()};
};

TEST_P(QueryEngineTest, SelectionsAndSortsAsWritten) {
  const std::string contracts = "SSELECT CONTRAT AVEC CodeAidant = \"00001\" AND AVEC 65 = \"\" AND AVEC 2 = \"001\"";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"SSELECT ACTIVITES PAR LibAssoActivites PAR 0", "00301 00201 00101 00102"},  // no entity: empty name first
      {"SSELECT ACTIVITES AVEC @ID = \"00]\" AND <> \"002]\"", "00101 00102 00301"},
      {"SSELECT COMMUNES AVEC 1 = \"PAR]\" PAR 1", "75056 95500"},
      {"SSELECT COMMUNES AVEC 1 = \"]\" PAR 1", "69123 75056 95500 64445"},
      // reason codes compare as numbers: "9" < "10" < "12"
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\"",
       "000010316000 000010616050 000022916001 000033016005"},
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant >= \"9\" AND <= \"10\"", "000010915990 000011016100"},
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant >= \"12\" AND <= \"17\" OR = \"23\" OR=\"25\"",
       "000021216020 000021716200 000042316008 000042516100"},
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant >= \"7\" AND <= \"11\" OR = \"24\" OR = \"32\" OR >= \"50\"",
       "000010915990 000011016100 000035016030"},
      // AND binds tighter than OR: (3) OR (12 AND 002) OR (22 AND 001)
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"3\" OR AVEC NumMotifAidant = \"12\" AND AVEC CodeSectAbs = "
       "\"002\" OR AVEC NumMotifAidant = \"22\" AND AVEC CodeSectAbs = \"001\"",
       "000010316000 000021216020"},
      // the list's query: MARTIN Alice before MARTIN Paul in sector 001
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant <= \"6\" OR = \"29\" OR = \"30\" AND AVEC CodeSectAbs = \"001\""
       " AND AVEC DebAbsAidant <= \"16060\" AND AVEC 2 >= \"16000\" PAR CodeSectAbs PAR NomAidant PAR PrenomAidant"
       " PAR DebAbsAidant",
       "000033016005 000010316000 000010616050"},
      // every tie broken by the next field, then by the key
      {"SSELECT ABSENCESAIDANT PAR CodeSectAbs PAR NomAidant PAR PrenomAidant PAR 3",
       "000033016005 000034216010 000035016030 000010616050 000010316000 000010915990 000011016100 000042316008 "
       "000042516100 000021216020 000021716200 000022216040 000022916001"},
      // empty values and open-ended absences
      {"SSELECT ABSENCESAIDANT AVEC 2 >= \"16100\" OR = \"\"", "000011016100 000021716200 000022916001 000042516100"},
      {"SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"6\" AND AVEC 10 = \"\"", ""},
      {"SSELECT ABSENCESAIDANT AVEC 28 = \"1\" PAR NomAidant", "000022216040 000033016005"},
      // a multi-valued attribute holds when one value passes all the tests
      {"SSELECT ABSENCESAIDANT AVEC 17 = \"C1\"", "000010316000 000010616050"},
      {"SSELECT ABSENCESAIDANT AVEC 17 = \"C1\" AND = \"C2\"", ""},
      // R sorts numbers as numbers, L as text; no PAR: key order
      {"SSELECT NUMS PAR R1", "b a d c"},
      {"SSELECT NUMS PAR L1", "c a d b"},
      {"SSELECT NUMS", "a b c d"},
      {contracts + " AND AVEC 7 <= \"16060\" AND AVEC 8 >= \"16000\" OR = \"\"", "0000101"},
      {contracts + " AND AVEC 1 = \"02\" AND AVEC 7 <= \"16060\" AND AVEC 8 >= \"15400\" OR = \"\"", "0000102"},
  };
  for (const auto& [query, keys] : cases) EXPECT_EQ(Select(query), keys) << query;
}

TEST_P(QueryEngineTest, ResultListHasOneRowPerRecordAndOneColumnPerAttribute) {
  EXPECT_EQ(Select("SSELECT SECTEUR PAR 1 ", "0 1", "SECTEUR"), "002\xFD" "CENTRE 004\xFD" "CENTRE 003\xFD" "EST 001\xFDNORD");
  EXPECT_EQ(Select("SSELECT ACTIVITES AVEC 0 = \"001]\"", "0 12"), "00101\xFDP 00102\xFDM");
  // the values of a multi-valued attribute stay in their column as sub-values
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC 17 = \"C2\"", "0 17 1"), "000010616050\xFD" "C1\xFC" "C2\xFD" "2");
}

TEST_P(QueryEngineTest, FailuresSayWhatAndWhereAndChangeNothing) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"SSELECT ABSENCESAIDANT AVEC Inconnu = \"3\"",
       "0x80040021 position 29: field Inconnu of ABSENCESAIDANT: not in the dictionary DICT ABSENCESAIDANT (expected a "
       "dictionary name, an attribute number or @ID)"},
      {"SSELECT NULLEPART", "0x80040010 position 9: file NULLEPART does not exist"},
      {"SSELECT ABSENCESAIDANT AVEC 1 = \"1\" OR",
       "0x80040020 position 39: expected AVEC or an operator (=, <=, >=, <>, <, >) after OR, found the end of the query"},
  };
  const std::string before = Select("SSELECT ABSENCESAIDANT", "0 1 2 3");
  for (const auto& [query, message] : cases) EXPECT_EQ(Failure([&] { Select(query); }), message);
  EXPECT_EQ(Failure([&] { Select("SSELECT ABSENCESAIDANT", "0", "CIVILAIDANT"); }),
            "0x80040020 position 9: the query selects from ABSENCESAIDANT but the request names the file CIVILAIDANT");
  EXPECT_EQ(Failure([&] { Select("SSELECT ABSENCESAIDANT", "0 x"); }),
            "0x80040050 DBSelect: attribute list \"0 x\" holds \"x\", not an attribute number");
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT", "0 1 2 3"), before);
}

// Number tests on digits are compiled to whole-number checks, rows are cut
// from records sixteen bytes at a time and large sorts go by radix passes:
// each against what the values mean, on values and records of every shape.
TEST_P(QueryEngineTest, NumbersRowsAndLargeSortsKeepTheirMeaning) {
  t.db().CreateFile("VALS");
  t.Dict("VALS", "VR", {"A", "1", "", "", "R"});
  for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
           {"v1", "7"}, {"v2", "007"}, {"v3", "1.50"}, {"v4", "63"}, {"v5", "64"}, {"v6", ""}, {"v7", "abc"},
           {"v8", testing_support::Values({"70", "7"})}, {"v9", "-3"}, {"v10", "99999999999"}})
    t.Put("VALS", key, value);
  const std::vector<std::pair<std::string, std::string>> numbers = {
      {"AVEC 1 = \"7\"", "v1 v2 v8"},  // "007" is 7, and so is one value of v8
      {"AVEC 1 = \"1.5\"", "v3"},
      {"AVEC 1 >= \"63\" AND < \"65\"", "v4 v5"},  // "abc" >= "63" as text, not < "65"
      {"AVEC 1 < \"5\"", "v3 v6 v9"},                // the empty text is before any text
      {"AVEC 1 > \"64\" OR = \"abc\"", "v10 v7 v8"},
      {"AVEC 1 <> \"7\"", "v10 v3 v4 v5 v6 v7 v8 v9"},
      {"PAR VR", "v9 v3 v1 v2 v4 v5 v8 v10 v6 v7"},  // numbers first, 7 and 007 tied: by key
  };
  for (const auto& [rest, keys] : numbers) EXPECT_EQ(Select("SSELECT VALS " + rest), keys) << rest;

  // Records of 34 to 40 attributes of 0 to 3 bytes, some with values: each row
  // against the record read by DynArray.
  t.db().CreateFile("LONGS");
  std::vector<std::string> expected;
  for (int r = 0; r < 60; ++r) {
    DynArray record;
    for (int a = 1; a <= 40 - r % 7; ++a) {
      std::string text((r * 5 + a * 3) % 4, static_cast<char>('a' + a % 26));
      if ((r + a) % 11 == 0) text += std::string(1, kValueMark) + "v";
      record.SetItem(a, text);
    }
    const std::string key = "L" + std::to_string(100 + r);
    t.Put("LONGS", key, record.Text());
    bool selected = false;  // by the condition below: one value not empty
    for (int v = 1; v <= record.DCount(30); ++v) selected = selected || !record.Item(30, v).empty();
    if (!selected) continue;
    std::string row = key;
    for (int a : {2, 3, 17, 30, 31, 33, 45}) {
      std::string cell = record.Item(a);
      std::replace(cell.begin(), cell.end(), kValueMark, kSubValueMark);
      row += kValueMark + cell;
    }
    expected.push_back(row);
  }
  std::string rows;
  for (const auto& row : expected) rows += (rows.empty() ? "" : " ") + row;
  ASSERT_GT(expected.size(), 20u);
  EXPECT_EQ(Select("SSELECT LONGS AVEC 30 <> \"\"", "0 2 3 17 30 31 33 45"), rows);

  // More records than a comparison sort is used for: numbers in order, then
  // texts, ties by key.
  std::vector<KeyedRecord> many;
  std::vector<std::tuple<bool, int, std::string, std::string>> order = {{true, 0, "", "v6"}, {true, 0, "abc", "v7"}};
  for (int i = 0; i < 5000; ++i) {
    const std::string key = "M" + std::to_string(10000 + i);
    const bool text = i % 97 == 0;
    const int number = (i * 7919) % 1013;
    many.push_back({key, text ? "x" + std::to_string(i % 5) : std::to_string(number)});
    order.emplace_back(text, text ? 0 : number, text ? many.back().text : "", key);
  }
  t.storage().PutMany("VALS", many);
  std::sort(order.begin(), order.end());
  std::string keys;
  for (const auto& entry : order) keys += (keys.empty() ? "" : " ") + std::get<3>(entry);
  const std::string sorted = Select("SSELECT VALS AVEC @ID = \"M]\" OR = \"v6\" OR = \"v7\" PAR VR");
  EXPECT_EQ(sorted, keys);
}

INSTANTIATE_ON_BOTH_STORAGES(QueryEngineTest);

}  // namespace
}  // namespace mvdb
