// DynArray: the three levels, appends, padding, splitting on marks, deletes,
// exact round trips, and random edits against a plain model.

#include <random>

#include "engine_test_support.h"
#include "mvdb/dynarray.h"

namespace mvdb {
namespace {

using testing_support::CodeOf;

TEST(DynArray, ReadsEveryLevelEmptyPastTheEndAndGivesItsTextBackExactly) {
  const DynArray a("a\xFE" "b\xFD" "c\xFC" "d\xFE");
  EXPECT_EQ((std::vector<std::string>{a.Item(1), a.Item(2), a.Item(2, 2), a.Item(2, 2, 2), a.Item(2, 1, 1), a.Item(4),
                                      a.Item(2, 3), a.Item(2, 2, 3), a.Item(0), a.Item(2, 0), a.Item(-1, 1, 1)}),
            (std::vector<std::string>{"a", "b\xFD" "c\xFC" "d", "c\xFC" "d", "d", "b", "", "", "", "", "", ""}));
  EXPECT_EQ((std::vector<int>{a.DCount(), a.DCount(1), a.DCount(2), a.DCount(3), DynArray().DCount()}),
            (std::vector<int>{3, 1, 2, 0, 0}));
  for (const std::string text : {"", "\xFE", "\xFE\xFE", "a\xFE\xFE", "\xFD\xFD", "x\xFC\xFC\xFEy\xFD",
                                 "Entit\xC3\xA9\xFE\xC3\x89t\xC3\xA9\xFD\xC3\xA0\xFC\xE2\x82\xAC"})
    EXPECT_EQ(DynArray(text).Text(), text);
}

TEST(DynArray, WritesPadAppendAndSplitOnMarks) {
  DynArray a;
  a.SetItem(3, 2, 2, "x");
  EXPECT_EQ(a.Text(), "\xFE\xFE\xFD\xFCx");
  a.SetItem(1, "first");
  a.SetItem(3, 1, "v1");
  EXPECT_EQ(a.Text(), "first\xFE\xFEv1\xFD\xFCx");
  a.SetItem(1, 2, "R\xC3\xA9union");
  a.SetItem(1, 2, 2, "\xC3\xA0");
  EXPECT_EQ(a.Item(1), "first\xFDR\xC3\xA9union\xFC\xC3\xA0");

  DynArray rows;
  for (int r = 1; r <= 3; ++r) {
    rows.SetItem(-1, 1, "k" + std::to_string(r));
    rows.SetItem(r, -1, "c2");
  }
  rows.SetItem(2, 2, -1, "s2");
  EXPECT_EQ(rows.Text(), "k1\xFD" "c2\xFEk2\xFD" "c2\xFCs2\xFEk3\xFD" "c2");

  DynArray split("a\xFE" "b\xFE" "c");
  split.SetItem(2, "x\xFEy");  // one write, two attributes
  split.SetItem(1, 2, "p\xFDq");
  split.SetItem(4, 1, 2, "s\xFDt");
  EXPECT_EQ(split.Text(), "a\xFDp\xFDq\xFEx\xFEy\xFE" "c\xFCs\xFDt");
  for (auto write : {+[](DynArray& d) { d.SetItem(0, "x"); }, +[](DynArray& d) { d.SetItem(1, 0, "x"); },
                     +[](DynArray& d) { d.SetItem(1, 1, -5, "x"); }})
    EXPECT_EQ(CodeOf([&] { write(split); }), 0x80040050u);
}

TEST(DynArray, DeleteRemovesOneAttributeAndIgnoresOutOfRange) {
  DynArray a("1\xFE" "2\xFE" "3\xFE" "4");
  a.Delete(2);
  a.Delete(0);
  a.Delete(9);
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
    const int size = static_cast<int>(model.size());
    const int at = size > 0 ? static_cast<int>(random() % size) + 1 : 1;
    const std::string text = "t" + std::to_string(step);
    switch (size > 0 ? random() % 4 : 1) {
      case 0: a.Delete(at), model.erase(model.begin() + at - 1); break;
      case 1: a.SetItem(-1, text), model.push_back(text); break;
      case 2: a.SetItem(at, text), model[at - 1] = text; break;
      default: ASSERT_EQ(a.Item(at), model[at - 1]) << "step " << step;
    }
    ASSERT_EQ(a.DCount(), static_cast<int>(model.size()));
  }
  std::string joined;
  for (std::size_t i = 0; i < model.size(); ++i) joined += (i ? "\xFE" : "") + model[i];
  EXPECT_EQ(a.Text(), joined);
}

}  // namespace
}  // namespace mvdb
