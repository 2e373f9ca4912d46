// Data the engine was not written for: non-numbers where numbers are expected,
// keys too short for their key-part fields, a missing code table, a megabyte
// attribute, a hundred thousand records sorted. Each gives a result or a clear
// DbError, never a crash.

#include <algorithm>
#include <sstream>

#include "demo/dictionaries.h"
#include "reliability_support.h"

namespace {

using mvdb::testing_support::Failure;

class BadData : public ::testing::Test {
 protected:
  /// Keys of the records the query selects, in result order, joined by blanks.
  std::string Select(const std::string& query) {
    long count = 0;
    const mvdb::DynArray rows = t.db().DBSelect(query, "", count);
    std::string keys;
    for (int row = 1; row <= count; ++row) keys += (row > 1 ? " " : "") + rows.Item(row);
    return keys;
  }
  /// Writes the association's dictionaries of the files that exist.
  void WriteDemoDictionaries() {
    for (const auto& record : morvane::demo::Dictionaries())
      if (t.db().FileExists(record.file.substr(5))) t.Put(record.file, record.key, record.record.Text());
  }
  mvdb::testing_support::ScratchDatabase t;
};

TEST_F(BadData, NonNumbersCompareAndSortAsTextAndHugeNumbersAsNumbers) {
  t.db().CreateFile("N");
  t.Dict("N", "Montant", {"A", "1", "", "", "R", "", "amount"});
  const std::vector<std::string> values = {"12", "9", "-3.5", "abc", "", "1e5", "-", ".", "+.", "007",
                                           std::string(400, '9'), "-" + std::string(400, '9'),
                                           "1" + std::string(330, '0') + ".5"};
  for (std::size_t i = 0; i < values.size(); ++i) t.Put("N", "k" + std::to_string(i + 10), values[i]);
  // numbers first in numeric order (huge ones included), then texts byte by byte
  EXPECT_EQ(Select("SSELECT N PAR Montant"), "k21 k12 k19 k11 k10 k20 k22 k14 k18 k16 k17 k15 k13");
  EXPECT_EQ(Select("SSELECT N AVEC Montant >= \"99999\""), "k13 k20 k22");
  EXPECT_EQ(Select("SSELECT N AVEC Montant = \"7\""), "k19");               // "007" is 7
  EXPECT_EQ(Select("SSELECT N AVEC Montant > \"1e4\" AND < \"1e6\""), "k15");  // text order
  EXPECT_EQ(Select("SSELECT N AVEC 1 < \"" + std::string(500, '9') + "\" AND >= \"9\""), "k10 k11");
}

TEST_F(BadData, KeysShorterThanTheirKeyPartFieldsGiveEmptyParts) {
  t.db().CreateFile("ABSENCESAIDANT");
  t.db().CreateFile("CIVILAIDANT");
  WriteDemoDictionaries();
  t.Put("CIVILAIDANT", "00001", "1\xFE" "MARTIN");
  for (const std::string key : {"0", "00001", "0000103", "000010316", "00001031600", "000010316000", "0000103160001234"})
    t.Put("ABSENCESAIDANT", key, "1\xFE" "16010");
  for (const auto& field : morvane::demo::IndexedFields())  // indexes over key parts take short keys too
    if (field.file == "ABSENCESAIDANT") t.db().CreateIndex(field.file, field.field);
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"3\" PAR DebAbsAidant PAR NomAidant"),
            "000010316 00001031600 000010316000 0000103160001234 0000103");  // first days 16, 1600, 16000, then ""
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT PAR NumMotifAidant PAR DebAbsAidant PAR CodeSectAbs"),
            "000010316 00001031600 000010316000 0000103160001234 0000103 0 00001");
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"\""), "0 00001");
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NomAidant = \"MARTIN\" PAR 0"),
            "00001 0000103 000010316 00001031600 000010316000 0000103160001234");
  t.Put("ABSENCESAIDANT", "12", "x");  // writes after the index exists keep it in step for short keys too
  t.db().DBOpen("ABSENCESAIDANT").DBDelete("0000103");
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC DebAbsAidant >= \"160\""), "00001031600 000010316000 0000103160001234");
}

TEST_F(BadData, AMissingFileOrABrokenDictionaryEntryIsAClearError) {
  t.db().CreateFile("ABSENCESAIDANT");
  WriteDemoDictionaries();  // its translations read CIVILAIDANT, never created
  t.Put("ABSENCESAIDANT", "000010316000", "1");
  EXPECT_EQ(Failure([&] { Select("SSELECT ABSENCESAIDANT AVEC CodeSectAbs = \"001\" PAR NomAidant"); }),
            "0x80040010 position 29: field CodeSectAbs translates through file CIVILAIDANT, which does not exist");
  t.Put("DICT ABSENCESAIDANT", "Casse", "T\xFE\xFE@ID\xFE" "2");  // no target file
  EXPECT_EQ(Failure([&] { Select("SSELECT ABSENCESAIDANT PAR Casse"); }),
            "0x80040021 position 28: field Casse of ABSENCESAIDANT: dictionary entry T needs a file, a key expression and "
            "an attribute");
}

TEST_F(BadData, AMegabyteAttributeTravelsWhole) {
  t.db().CreateFile("BIG");
  std::string big(1 << 20, 'x');
  for (std::size_t i = 0; i < big.size(); i += 1000) big[i] = '\xFD';  // about a thousand values
  const std::string text = "head\xFE" + big + "\xFEtail";
  t.Put("BIG", "K1", text);
  const mvdb::DynArray back = t.db().DBOpen("BIG").DBRead("K1");
  EXPECT_EQ(back.Item(2), big);
  EXPECT_EQ(back.DCount(2), std::count(big.begin(), big.end(), '\xFD') + 1);
  EXPECT_EQ(Select("SSELECT BIG AVEC 2 = \"xxx]\" PAR 2"), "K1");
  std::stringstream exported;
  mvdb::jsonl::Export(t.db(), {"BIG"}, exported);
  mvdb::testing_support::ScratchDatabase copy;
  mvdb::jsonl::Import(copy.db(), exported);
  EXPECT_EQ(copy.db().DBOpen("BIG").DBRead("K1").Text(), text);
}

TEST_F(BadData, AHundredThousandRecordsSelectedWithASort) {
  t.db().CreateFile("F");
  t.Dict("F", "Rang", {"A", "2", "", "", "R", "", "rank"});
  constexpr long kRecords = 100000;
  t.db().Transaction([&] {
    for (long n = 0; n < kRecords; ++n) t.Put("F", reliability::KeyOf(n), "x\xFE" + std::to_string((n * 7919) % kRecords));
  });
  long count = 0;
  const mvdb::DynArray rows = t.db().DBSelect(mvdb::testing_support::Attrs({"SSELECT F AVEC Rang >= \"0\" PAR Rang", "", "2 0"}), "", count);
  ASSERT_EQ(count, kRecords);
  for (long row = 1; row <= count; ++row) ASSERT_EQ(rows.Item(static_cast<int>(row), 1), std::to_string(row - 1));
}

}  // namespace
