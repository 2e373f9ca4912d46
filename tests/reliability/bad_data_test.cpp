// Data the engine was not written for: non-numbers where numbers are expected,
// keys too short for their key-part fields, a missing code table, a megabyte
// attribute, a hundred thousand records sorted. Each gives a result or a clear
// DbError, never a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "demo/dictionaries.h"
#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "mvdb/storage.h"
#include "reliability_support.h"

namespace {

using Keys = std::vector<std::string>;

class BadData : public ::testing::Test {
 protected:
  void SetUp() override { db_ = mvdb::Database::Create(folder_.path() / "db.mvdb"); }

  /// Keys of the records the query selects, in result order.
  Keys Select(const std::string& query) {
    mvdb::DynArray request;
    request.SetItem(1, query);
    long count = 0;
    const mvdb::DynArray rows = db_->DBSelect(request.Text(), "", count);
    Keys keys;
    for (int row = 1; row <= count; ++row) keys.push_back(rows.Item(row));
    return keys;
  }
  void Put(const std::string& file, const std::string& key, const std::string& text) {
    db_->storage().Put(file, key, text);
  }
  /// Writes the association's dictionaries of the files that exist.
  void WriteDemoDictionaries() {
    for (const auto& record : morvane::demo::Dictionaries())
      if (db_->FileExists(record.file.substr(5))) Put(record.file, record.key, record.record.Text());
  }

  reliability::TempFolder folder_{"bad-data"};
  std::unique_ptr<mvdb::Database> db_;
};

TEST_F(BadData, NonNumbersInNumericComparisonsAndSortsCompareAsText) {
  db_->CreateFile("N");
  Put("DICT N", "Montant", "A\xFE" "1\xFE\xFE\xFER\xFE\xFE" "amount");
  const Keys values = {"12", "9", "-3.5", "abc", "", "1e5", "-", ".", "+.", "007",
                       std::string(400, '9'), "-" + std::string(400, '9'), "1" + std::string(330, '0') + ".5"};
  for (std::size_t i = 0; i < values.size(); ++i) Put("N", "k" + std::to_string(i + 10), values[i]);

  // Numbers sort first in numeric order (huge ones included), then texts.
  const Keys sorted = Select("SSELECT N PAR Montant");
  ASSERT_EQ(sorted.size(), values.size());
  EXPECT_EQ(sorted.front(), "k21");  // -999...9 (400 digits)
  const auto position = [&](const std::string& key) { return std::find(sorted.begin(), sorted.end(), key) - sorted.begin(); };
  EXPECT_LT(position("k12"), position("k11"));  // -3.5 < 9
  EXPECT_LT(position("k11"), position("k10"));  // 9 < 12
  EXPECT_LT(position("k10"), position("k20"));  // 12 < 999...9
  EXPECT_LT(position("k20"), position("k13"));  // every number before the text "abc"

  // A comparison with a non-number compares as text; with a huge number, as numbers.
  EXPECT_NO_THROW(Select("SSELECT N AVEC Montant >= \"abc\""));
  EXPECT_NO_THROW(Select("SSELECT N AVEC 1 < \"" + std::string(500, '9') + "\" PAR Montant"));
  // Numbers beyond a double still compare as numbers (above every other).
  EXPECT_EQ(Select("SSELECT N AVEC Montant >= \"99999\""), (Keys{"k13", "k20", "k22"}));
  EXPECT_EQ(Select("SSELECT N AVEC Montant = \"7\""), Keys{"k19"});  // "007" = "7"
  EXPECT_EQ(Select("SSELECT N AVEC Montant > \"1e4\" AND < \"1e6\""), Keys{"k15"});  // text order
}

TEST_F(BadData, KeysShorterThanTheirKeyPartFieldsGiveEmptyParts) {
  db_->CreateFile("ABSENCESAIDANT");
  db_->CreateFile("CIVILAIDANT");
  WriteDemoDictionaries();
  Put("CIVILAIDANT", "00001", "1\xFE" "MARTIN");
  for (const std::string key : {"0", "00001", "0000103", "000010316", "00001031600", "000010316000", "0000103160001234"})
    Put("ABSENCESAIDANT", key, "1\xFE" "16010");
  // Indexes over key parts are built over short keys as well.
  for (const auto& field : morvane::demo::IndexedFields()) {
    if (field.file == "ABSENCESAIDANT") {
      EXPECT_NO_THROW(db_->CreateIndex(field.file, field.field)) << field.field;
    }
  }

  Keys reason3 = Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"3\" PAR DebAbsAidant PAR NomAidant");
  ASSERT_EQ(reason3.size(), 5u);
  EXPECT_EQ(reason3[0], "000010316");  // first day "16" sorts before "1600"
  EXPECT_EQ(reason3[1], "00001031600");
  std::sort(reason3.begin(), reason3.end());
  EXPECT_EQ(reason3, (Keys{"0000103", "000010316", "00001031600", "000010316000", "0000103160001234"}));
  const Keys all = Select("SSELECT ABSENCESAIDANT PAR NumMotifAidant PAR DebAbsAidant PAR CodeSectAbs");
  EXPECT_EQ(all.size(), 7u);
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NumMotifAidant = \"\""), (Keys{"0", "00001"}));
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC NomAidant = \"MARTIN\"").size(), 6u);
  // Writes after the index exists keep it in step for short keys too.
  Put("ABSENCESAIDANT", "12", "x");
  db_->DBOpen("ABSENCESAIDANT").DBDelete("0000103");
  EXPECT_EQ(Select("SSELECT ABSENCESAIDANT AVEC DebAbsAidant >= \"160\"").size(), 3u);
}

TEST_F(BadData, AMissingCodeTableIsAClearError) {
  db_->CreateFile("ABSENCESAIDANT");
  WriteDemoDictionaries();  // its translations read CIVILAIDANT, never created
  Put("ABSENCESAIDANT", "000010316000", "1");
  try {
    Select("SSELECT ABSENCESAIDANT AVEC CodeSectAbs = \"001\" PAR NomAidant");
    FAIL() << "a translation through a missing file selected records";
  } catch (const mvdb::DbError& e) {
    EXPECT_EQ(e.code(), mvdb::ErrorCode::kFileNotFound);
    EXPECT_NE(std::string(e.what()).find("CIVILAIDANT"), std::string::npos) << e.what();
  }
  EXPECT_THROW(db_->DBOpen("MOTIFS"), mvdb::DbError);
  // A broken dictionary entry (no target file) is refused, not followed.
  Put("DICT ABSENCESAIDANT", "Casse", "T\xFE\xFE@ID\xFE" "2");
  EXPECT_THROW(Select("SSELECT ABSENCESAIDANT PAR Casse"), mvdb::DbError);
}

TEST_F(BadData, AMegabyteAttributeTravelsWhole) {
  db_->CreateFile("BIG");
  std::string big(1 << 20, 'x');
  for (std::size_t i = 0; i < big.size(); i += 1000) big[i] = '\xFD';  // about a thousand values
  mvdb::DynArray record = db_->DBOpen("BIG").DBNew("K1");
  record.SetItem(1, "head");
  record.SetItem(2, big);
  record.SetItem(3, "tail");
  record.DBWrite();

  const mvdb::DynArray back = db_->DBOpen("BIG").DBRead("K1");
  EXPECT_EQ(back.Item(2), big);
  EXPECT_EQ(back.Item(3), "tail");
  EXPECT_EQ(back.DCount(2), std::count(big.begin(), big.end(), '\xFD') + 1);
  EXPECT_EQ(Select("SSELECT BIG AVEC 2 = \"xxx]\" PAR 2"), Keys{"K1"});

  std::ostringstream exported;
  mvdb::jsonl::Export(*db_, {"BIG"}, exported);
  reliability::TempFolder other("bad-data-copy");
  auto copy = mvdb::Database::Create(other.path() / "copy.mvdb");
  std::istringstream in(exported.str());
  mvdb::jsonl::Import(*copy, in);
  EXPECT_EQ(copy->DBOpen("BIG").DBRead("K1").Text(), back.Text());
}

TEST_F(BadData, AHundredThousandRecordsSelectedWithASort) {
  db_->CreateFile("F");
  Put("DICT F", "Rang", "A\xFE" "2\xFE\xFE\xFER\xFE\xFErank");
  constexpr long kRecords = 100000;
  db_->Transaction([&] {
    for (long n = 0; n < kRecords; ++n)
      Put("F", reliability::KeyOf(n), "x\xFE" + std::to_string((n * 7919) % kRecords));
  });
  mvdb::DynArray request;
  request.SetItem(1, "SSELECT F AVEC Rang >= \"0\" PAR Rang");
  request.SetItem(3, "2 0");
  long count = 0;
  const mvdb::DynArray rows = db_->DBSelect(request.Text(), "", count);
  ASSERT_EQ(count, kRecords);
  for (long row = 1; row <= count; ++row) ASSERT_EQ(rows.Item(static_cast<int>(row), 1), std::to_string(row - 1));
}

}  // namespace
