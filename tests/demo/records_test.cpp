// Generated carers, contracts and absences: deterministic, well-formed keys,
// and every case the reports handle present in a modest sample.
#include <gtest/gtest.h>

#include <set>

#include "demo/absences.h"
#include "demo/carers.h"
#include "demo/day_numbers.h"
#include "demo/organisation.h"

namespace morvane::demo {
namespace {

const int kToday = DayNumber(2025, 6, 15);

bool AllDigits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<FileRecord> Sample(unsigned seed, long carers, long perCarer) {
  std::vector<FileRecord> out;
  for (long i = 0; i < carers; ++i) {
    GeneratedCarer c = MakeCarer(seed, i, kToday);
    out.push_back(c.civil);
    for (auto& k : c.contracts) out.push_back(k);
    for (auto& a : MakeAbsences(seed, i, c, perCarer, kToday)) out.push_back(a);
  }
  return out;
}

TEST(GeneratedRecords, SameSeedSameTextsOtherSeedOtherTexts) {
  const auto a = Sample(7, 20, 10), b = Sample(7, 20, 10), c = Sample(8, 20, 10);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].key, b[i].key);
    EXPECT_EQ(a[i].record.Text(), b[i].record.Text());
  }
  std::size_t same = 0;
  for (std::size_t i = 0; i < std::min(a.size(), c.size()); ++i) same += a[i].record.Text() == c[i].record.Text();
  EXPECT_LT(same, a.size() / 2);
}

TEST(GeneratedRecords, KeysHaveTheirShapes) {
  std::set<std::string> sectors;
  for (const auto& s : SectorCodes()) sectors.insert(s);
  std::set<std::string> absenceKeys;
  for (long i = 0; i < 60; ++i) {
    const GeneratedCarer c = MakeCarer(1, i, kToday);
    ASSERT_EQ(c.code.size(), 5u);
    EXPECT_TRUE(AllDigits(c.code));
    EXPECT_EQ(sectors.count(c.civil.record.Get(31)), 1u);
    EXPECT_EQ(c.civil.record.Get(10).size(), 5u);
    ASSERT_FALSE(c.contracts.empty());
    for (const FileRecord& k : c.contracts) {
      EXPECT_EQ(k.key.size(), 8u);
      EXPECT_EQ(k.key.substr(0, 5), c.code);
      const std::string kind = k.record.Get(1);
      EXPECT_TRUE(kind == "01" || kind == "02");
      EXPECT_EQ(k.record.Values(15).size(), k.record.Values(24).size());
      EXPECT_EQ(k.record.Values(15).size(), k.record.Values(25).size());
      EXPECT_EQ(k.record.Values(161).size(), k.record.Values(162).size());
    }
    for (const FileRecord& a : MakeAbsences(1, i, c, 30, kToday)) {
      ASSERT_EQ(a.key.size(), 12u) << a.key;
      EXPECT_TRUE(AllDigits(a.key));
      EXPECT_EQ(a.key.substr(0, 5), c.code);
      EXPECT_TRUE(absenceKeys.insert(a.key).second) << "duplicate " << a.key;
      const std::string last = a.record.Get(2);
      if (!last.empty()) {
        EXPECT_GE(std::stoi(last), std::stoi(a.key.substr(7)));
      }
      const auto& portions = a.record.Values(26);
      for (int attr : {21, 22, 23, 24, 25}) EXPECT_EQ(a.record.Values(attr).size(), portions.size());
    }
  }
}

TEST(GeneratedRecords, AbsencesFallWhileTheCarerIsEmployed) {
  int leavers = 0;
  for (long i = 0; i < 150; ++i) {
    const GeneratedCarer c = MakeCarer(4, i, kToday);
    int hired = kToday, left = 0;
    bool open = false;
    for (const ContractSummary& k : c.summaries) {
      hired = std::min(hired, k.start);
      left = std::max(left, k.end);
      open = open || k.end == 0 || k.end >= kToday;
    }
    leavers += !open;
    for (const FileRecord& a : MakeAbsences(4, i, c, 10, kToday)) {
      const int first = std::stoi(a.key.substr(7));
      EXPECT_GE(first, hired) << a.key;
      if (!open) {
        EXPECT_LE(first, left + 10) << a.key;  // clashing keys move a few days on
      }
      EXPECT_FALSE(a.record.Values(17).empty()) << a.key;
    }
  }
  EXPECT_GT(leavers, 0);
}

TEST(GeneratedRecords, SampleHoldsEveryCaseTheReportsHandle) {
  std::set<std::string> reasons;
  int openEnded = 0, halfStart = 0, noonEnd = 0, portions = 0, twoContracts = 0, toValidate = 0,
      crlf = 0, percent = 0, covid = 0, returnDate = 0, beforeTwelve = 0, inYear = 0, nearToday = 0;
  int ignoredContracts = 0, openContracts = 0, zeroRate = 0, agent = 0, noGrid = 0;
  const int yearStart = DayNumber(2025, 1, 1), yearEnd = DayNumber(2025, 12, 31);
  for (const FileRecord& r : Sample(1, 120, 8)) {
    if (r.file == "CONTRAT") {
      ignoredContracts += !r.record.Get(65).empty();
      openContracts += r.record.Get(8).empty();
      const auto& rates = r.record.Values(23);
      zeroRate += rates.empty() || rates.back() == "0";
      agent += r.record.Get(1) == "02";
      noGrid += r.record.Get(20).empty() && !r.record.Get(108).empty();
      continue;
    }
    if (r.file != "ABSENCESAIDANT") continue;
    const int first = std::stoi(r.key.substr(7));
    reasons.insert(r.key.substr(5, 2));
    openEnded += r.record.Get(2).empty();
    halfStart += r.record.Get(1) == "2";
    noonEnd += r.record.Get(3) == "1";
    portions += !r.record.Values(26).empty();
    twoContracts += r.record.Values(17).size() == 2;
    toValidate += r.record.Get(28) == "1";
    crlf += r.record.Get(29).find("\r\n") != std::string::npos;
    percent += !r.record.Get(47).empty();
    covid += !r.record.Get(53).empty();
    returnDate += !r.record.Get(10).empty();
    beforeTwelve += first <= 16071;
    inYear += first >= yearStart && first <= yearEnd;
    nearToday += first >= kToday - 42 && first <= kToday + 42;
  }
  EXPECT_GE(reasons.size(), 30u);
  for (int n : {openEnded, halfStart, noonEnd, portions, twoContracts, toValidate, crlf, percent, covid,
                returnDate, beforeTwelve, ignoredContracts, openContracts, zeroRate, agent, noGrid}) {
    EXPECT_GT(n, 0);
  }
  EXPECT_GT(inYear, 350);     // of 960 absences
  EXPECT_GT(nearToday, 180);
}

}  // namespace
}  // namespace morvane::demo
