// DynArray: the three levels, appends, padding, deletes and exact round trips.
#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "engine_test_support.h"
#include "mvdb/dynarray.h"
#include "mvdb/errors.h"

namespace mvdb {
namespace {

using testing_support::CodeOf;

TEST(DynArray, ReadsEveryLevelAndEmptyPastTheEnd) {
  const DynArray a("a\xFE" "b\xFD" "c\xFC" "d\xFE");
  EXPECT_EQ(a.DCount(), 3);
  EXPECT_EQ(a.Item(1), "a");
  EXPECT_EQ(a.Item(2), "b\xFD" "c\xFC" "d");
  EXPECT_EQ(a.Item(2, 2), "c\xFC" "d");
  EXPECT_EQ(a.Item(2, 2, 2), "d");
  EXPECT_EQ(a.Item(2, 1, 1), "b");
  EXPECT_EQ(a.DCount(2), 2);
  EXPECT_EQ(a.DCount(1), 1);
  EXPECT_EQ(a.DCount(3), 0);
  EXPECT_EQ(a.Item(4), "");
  EXPECT_EQ(a.Item(2, 3), "");
  EXPECT_EQ(a.Item(2, 2, 3), "");
  EXPECT_EQ(a.Item(0), "");
  EXPECT_EQ(a.Item(2, 0), "");
  EXPECT_EQ(a.Item(-1, 1, 1), "");
  EXPECT_EQ(DynArray().DCount(), 0);
  EXPECT_TRUE(DynArray("").Empty());
}

TEST(DynArray, TextRoundTripsExactlyIncludingEmptyElements) {
  for (const std::string text : {"", "\xFE", "\xFE\xFE", "a\xFE\xFE", "\xFD\xFD", "x\xFC\xFC\xFEy\xFD",
                                 "Entit\xC3\xA9\xFE\xC3\x89t\xC3\xA9\xFD\xC3\xA0\xFC\xE2\x82\xAC"}) {
    DynArray a(text);
    EXPECT_EQ(a.Text(), text);
    DynArray copy = a;
    EXPECT_EQ(copy.Text(), text);
  }
}

TEST(DynArray, AccentedUtf8NextToMarksStaysIntact) {
  DynArray a;
  a.SetItem(1, 1, "R\xC3\xA9union");
  a.SetItem(1, 2, "\xC3\xA9t\xC3\xA9");
  a.SetItem(1, 2, 2, "\xC3\xA0");
  EXPECT_EQ(a.Text(), "R\xC3\xA9union\xFD\xC3\xA9t\xC3\xA9\xFC\xC3\xA0");
  EXPECT_EQ(a.Item(1, 2, 1), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(a.DCount(1), 2);
}

TEST(DynArray, WritesPastTheEndPadAtEveryLevel) {
  DynArray a;
  a.SetItem(3, 2, 2, "x");
  EXPECT_EQ(a.Text(), "\xFE\xFE\xFD\xFCx");
  EXPECT_EQ(a.DCount(), 3);
  a.SetItem(1, "first");
  a.SetItem(3, 1, "v1");
  EXPECT_EQ(a.Text(), "first\xFE\xFEv1\xFD\xFCx");
}

TEST(DynArray, MinusOneAppendsAtEachLevel) {
  DynArray rows;
  for (int r = 1; r <= 3; ++r) {
    rows.SetItem(-1, 1, "k" + std::to_string(r));
    rows.SetItem(r, -1, "c2");
  }
  EXPECT_EQ(rows.DCount(), 3);
  EXPECT_EQ(rows.Item(3), "k3\xFD" "c2");
  rows.SetItem(2, 2, -1, "s2");
  rows.SetItem(2, 3, -1, "s1");
  EXPECT_EQ(rows.Item(2), "k2\xFD" "c2\xFCs2\xFDs1");
}

TEST(DynArray, WritingTextWithMarksSplitsIntoLowerLevels) {
  DynArray a("a\xFE" "b\xFE" "c");
  a.SetItem(2, "x\xFEy");
  EXPECT_EQ(a.Text(), "a\xFEx\xFEy\xFE" "c");
  EXPECT_EQ(a.DCount(), 4);
  a.SetItem(1, 2, "p\xFDq");
  EXPECT_EQ(a.DCount(1), 3);
  EXPECT_EQ(a.Item(1, 3), "q");
  a.SetItem(4, 1, 2, "s\xFDt");
  EXPECT_EQ(a.Item(4), "c\xFCs\xFDt");
}

TEST(DynArray, BadWritePositionsAreRefused) {
  DynArray a("a");
  EXPECT_EQ(CodeOf([&] { a.SetItem(0, "x"); }), 0x80040050u);
  EXPECT_EQ(CodeOf([&] { a.SetItem(1, 0, "x"); }), 0x80040050u);
  EXPECT_EQ(CodeOf([&] { a.SetItem(1, 1, -5, "x"); }), 0x80040050u);
  EXPECT_EQ(a.Text(), "a");
}

TEST(DynArray, DeleteRemovesOneAttributeAndIgnoresOutOfRange) {
  DynArray a("1\xFE" "2\xFE" "3\xFE" "4");
  a.Delete(2);
  EXPECT_EQ(a.Text(), "1\xFE" "3\xFE" "4");
  a.Delete(0);
  a.Delete(9);
  EXPECT_EQ(a.DCount(), 3);
  a.Delete(3);
  a.SetItem(-1, "5");
  EXPECT_EQ(a.Text(), "1\xFE" "3\xFE" "5");
}

// The attribute store is a gap buffer: compare it with a plain vector under
// random reads, writes, appends and deletes.
TEST(DynArray, RandomEditsMatchASimpleModel) {
  std::mt19937 random(7);
  DynArray a;
  std::vector<std::string> model;
  for (int step = 0; step < 20000; ++step) {
    const int op = static_cast<int>(random() % 4);
    const int size = static_cast<int>(model.size());
    const int at = size > 0 ? static_cast<int>(random() % size) + 1 : 1;
    const std::string text = "t" + std::to_string(step);
    if (op == 0 && size > 0) {
      a.Delete(at);
      model.erase(model.begin() + at - 1);
    } else if (op == 1) {
      a.SetItem(-1, text);
      model.push_back(text);
    } else if (op == 2 && size > 0) {
      a.SetItem(at, text);
      model[static_cast<std::size_t>(at - 1)] = text;
    } else if (size > 0) {
      ASSERT_EQ(a.Item(at), model[static_cast<std::size_t>(at - 1)]) << "step " << step;
    }
    ASSERT_EQ(a.DCount(), static_cast<int>(model.size()));
  }
  std::string joined;
  for (std::size_t i = 0; i < model.size(); ++i) joined += (i ? "\xFE" : "") + model[i];
  EXPECT_EQ(a.Text(), joined);
}

// Values of short attributes are scanned (resuming from the last one read),
// long ones indexed: both must agree with a plain vector of values.
TEST(DynArray, RandomValueEditsMatchASimpleModelInShortAndLongAttributes) {
  for (const std::size_t width : {1u, 40u}) {
    std::mt19937 random(11);
    DynArray a;
    std::vector<std::string> model;
    for (int step = 0; step < 5000; ++step) {
      const int j = static_cast<int>(random() % (model.size() + 3)) + 1;
      const int op = static_cast<int>(random() % 3);
      if (op == 0) {
        const std::string text = std::string(random() % width, 'v') + std::to_string(step);
        a.SetItem(2, j, text);
        if (model.size() < static_cast<std::size_t>(j)) model.resize(static_cast<std::size_t>(j));
        model[static_cast<std::size_t>(j - 1)] = text;
      } else if (op == 1 && step % 7 == 0) {
        a.SetItem(2, j, "p\xFDq");  // one write, two values
        if (model.size() < static_cast<std::size_t>(j)) model.resize(static_cast<std::size_t>(j));
        model[static_cast<std::size_t>(j - 1)] = "q";
        model.insert(model.begin() + j - 1, "p");
      } else {
        const std::string expected = static_cast<std::size_t>(j) <= model.size() ? model[static_cast<std::size_t>(j - 1)] : "";
        ASSERT_EQ(a.Item(2, j), expected) << "width " << width << " step " << step;
      }
      const bool empty = model.empty() || (model.size() == 1 && model[0].empty());
      ASSERT_EQ(a.DCount(2), empty ? 0 : static_cast<int>(model.size())) << "step " << step;
    }
  }
}

TEST(DynArray, BackwardDeleteWalkIsLinear) {
  std::string text;
  const int rows = 300000;
  for (int r = 0; r < rows; ++r) text += (r ? "\xFE" : "") + std::to_string(r) + "\xFD" "x";
  DynArray list(text);
  const auto start = std::chrono::steady_clock::now();
  for (int r = rows; r >= 1; --r)
    if (r % 2 == 0) list.Delete(r);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_EQ(list.DCount(), rows / 2);
  EXPECT_EQ(list.Item(2, 1), "2");
#if defined(__SANITIZE_ADDRESS__)
  const double limit = 10.0;  // sanitizer builds run several times slower
#else
  const double limit = 1.0;
#endif
  EXPECT_LT(seconds, limit);
}

TEST(DynArray, CopiesAreIndependentAndMovedFromArraysReadEmpty) {
  DynArray a("x\xFEy");
  DynArray b = a;
  b.SetItem(1, "changed");
  EXPECT_EQ(a.Item(1), "x");
  DynArray c = std::move(a);
  EXPECT_EQ(c.Item(2), "y");
  EXPECT_EQ(a.DCount(), 0);  // NOLINT(bugprone-use-after-move): moved-from arrays stay usable
  a.SetItem(1, "again");
  EXPECT_EQ(a.Text(), "again");
}

TEST(DynArray, UnboundRecordCannotBeWritten) {
  DynArray a("x");
  EXPECT_EQ(CodeOf([&] { a.DBWrite(); }), 0x80040060u);
  EXPECT_EQ(a.BoundKey(), "");
}

}  // namespace
}  // namespace mvdb
