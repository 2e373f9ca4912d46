// Two processes on one database at once: an importer beside a process running
// selections, and two writers claiming new directory-file names in the same
// sequence, as two exports started in the same second would.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "mvdb/database.h"
#include "mvdb/jsonl.h"
#include "reliability_support.h"

namespace {

using reliability::Child;
using reliability::ExpectedText;
using reliability::KeyOf;

TEST(Concurrency, SelectionsBesideAnImportReadOnlyWholeRecords) {
  reliability::TempFolder folder("import-select");
  const auto path = folder.path() / "db.mvdb";
  mvdb::Database::Create(path)->CreateFile("F");
  constexpr long kBatch = 2000;
  constexpr long kBatches = 15;

  Child importer([&](int fd) {
    auto db = mvdb::Database::Open(path);
    for (long b = 0; b < kBatches; ++b) {
      std::string lines;
      for (long n = b * kBatch; n < (b + 1) * kBatch; ++n)
        lines += mvdb::jsonl::EncodeLine("F", KeyOf(n), ExpectedText(KeyOf(n))) + "\n";
      std::istringstream in(lines);
      mvdb::jsonl::Import(*db, in);
      if (b == 0) Child::Signal(fd);
    }
    return true;
  });
  ASSERT_TRUE(importer.WaitSignal());

  Child reader([&](int) {
    auto db = mvdb::Database::Open(path);
    mvdb::DynArray request;
    request.SetItem(1, "SSELECT F PAR 2");
    request.SetItem(3, "0 1 2 3 4 5");
    long last = 0;
    for (int round = 0; last < kBatch * kBatches && round < 2000; ++round) {
      long count = 0;
      const mvdb::DynArray rows = db->DBSelect(request.Text(), "", count);
      if (count % kBatch != 0 || count < last) {
        std::fprintf(stderr, "selection saw %ld records after %ld\n", count, last);
        return false;
      }
      for (int row = 1; row <= count; ++row) {
        const std::string key = rows.Item(row, 1);
        mvdb::DynArray expected(ExpectedText(key));
        for (int a = 1; a <= 5; ++a) {
          std::string cell = expected.Item(a);  // a cell holds values as sub-values
          std::replace(cell.begin(), cell.end(), mvdb::kValueMark, mvdb::kSubValueMark);
          if (rows.Item(row, a + 1) != cell) {
            std::fprintf(stderr, "record %s torn at attribute %d\n", key.c_str(), a);
            return false;
          }
        }
      }
      last = count;
    }
    return true;
  });
  EXPECT_TRUE(importer.Succeeded());
  EXPECT_TRUE(reader.Succeeded()) << "the reader saw an error, a torn record or part of a batch";
}

TEST(Concurrency, TwoWritersClaimingNewNamesNeverShareOne) {
  reliability::TempFolder folder("write-new");
  const auto path = folder.path() / "db.mvdb";
  mvdb::Database::Create(path)->CreateFile("STATAIDANT", mvdb::FileKind::kDirectory);
  constexpr int kClaims = 150;

  // Each writer claims kClaims names, trying EXPORT_1.csv, EXPORT_2.csv, ...
  // in order as the daily export does, and lists what it won in its own file.
  auto writer = [&](const std::string& tag) {
    return [&, tag](int) {
      auto db = mvdb::Database::Open(path);
      auto file = db->DBOpen("STATAIDANT");
      std::ofstream won(folder.path() / (tag + ".txt"));
      int next = 1;
      for (int claimed = 0; claimed < kClaims; ++next) {
        const std::string name = "EXPORT_" + std::to_string(next) + ".csv";
        mvdb::DynArray record = file.DBNew(name);
        record.SetItem(1, tag);
        record.SetItem(2, name);
        try {
          record.DBWriteNew();
        } catch (const mvdb::DbError& e) {
          if (e.code() != mvdb::ErrorCode::kRecordExists) throw;
          continue;  // the other writer was first: try the next name
        }
        won << name << '\n';
        ++claimed;
      }
      return true;
    };
  };
  Child first(writer("A"));
  Child second(writer("B"));
  ASSERT_TRUE(first.Succeeded());
  ASSERT_TRUE(second.Succeeded());

  auto db = mvdb::Database::Open(path);
  auto file = db->DBOpen("STATAIDANT");
  std::set<std::string> names;
  for (const std::string tag : {"A", "B"}) {
    std::ifstream won(folder.path() / (tag + ".txt"));
    for (std::string name; std::getline(won, name);) {
      EXPECT_TRUE(names.insert(name).second) << name << " claimed by both writers";
      const mvdb::DynArray record = file.DBRead(name);
      EXPECT_EQ(record.Item(1), tag) << name << " was overwritten by the other writer";
      EXPECT_EQ(record.Item(2), name);
    }
  }
  EXPECT_EQ(names.size(), 2u * kClaims);
  // No gap: the names won are exactly EXPORT_1 .. EXPORT_(2 x kClaims).
  for (int n = 1; n <= 2 * kClaims; ++n) EXPECT_TRUE(names.count("EXPORT_" + std::to_string(n) + ".csv")) << n;
}

}  // namespace
