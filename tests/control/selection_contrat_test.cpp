// Contract filtering of the selection: which contract fits, which row goes,
// what columns 6 and 7 receive.
#include <gtest/gtest.h>

#include "control/selection_requete.h"
#include "selection_base.h"

namespace morvane::control {
namespace {

using testing::BaseSelection;

// Period 20010..20040; entity "001" typed, "009" the default entity.
FiltreEntite Filtre(bool prest, bool mandat, const std::string& entite = "001") {
  FiltreEntite f;
  f.entite = entite;
  f.entiteDefaut = "009";
  f.prestataire = prest;
  f.mandataire = mandat;
  f.debut = 20010;
  f.fin = 20040;
  return f;
}

class SelectionContrat : public ::testing::Test {
 protected:
  mvdb::DynArray Filtrer(std::vector<std::string> keys, const FiltreEntite& f) {
    mvdb::DynArray rows = BaseSelection::Rows(keys);
    MemoriserClesAbsences(rows);
    FiltrerParContrat(rows, f, {base.db(), base.absences(), base.contrats(), enregAbsence, enregContrat});
    return rows;
  }
  // An absence of carer 00001 with reason `motif` listing these contracts.
  std::string Absence(const std::string& motif, std::vector<std::string> contrats, const std::string& activite = "") {
    const std::string key = "00001" + motif + "20015";
    base.Write("ABSENCESAIDANT", key, {{17, contrats}, {47, {activite}}});
    return key;
  }

  BaseSelection base;
  mvdb::DynArray enregAbsence;
  mvdb::DynArray enregContrat;
};

TEST_F(SelectionContrat, ListedContractsTheLastFittingOneWins) {
  base.Contrat("00001001", "01", "001", "19000", "");
  base.Contrat("00001002", "01", "001", "19000", "20500");
  const std::string key = Absence("02", {"00001001", "00001002"});
  const mvdb::DynArray rows = Filtrer({key}, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 1);
  EXPECT_EQ(rows.Item(1, 6), "00001002");
  EXPECT_EQ(rows.Item(1, 8), key);
  EXPECT_EQ(enregContrat.BoundKey(), "00001002");  // the last contract read stays current
}

TEST_F(SelectionContrat, ActivityRuleOnListedContracts) {
  base.Contrat("00001001", "01", "001", "19000", "");
  base.Contrat("00001002", "02", "001", "19000", "");
  const std::string prest = Absence("02", {"00001001"});
  const std::string mandat = "00001" "05" "20016";
  base.Write("ABSENCESAIDANT", mandat, {{17, {"00001002"}}});

  // "Mandataire" only: an absence listing only service-provider contracts goes.
  mvdb::DynArray rows = Filtrer({prest, mandat}, Filtre(false, true));
  ASSERT_EQ(rows.DCount(), 1);
  EXPECT_EQ(rows.Item(1, 1), mandat);
  EXPECT_EQ(rows.Item(1, 6), "00001002");

  // Both ticked: an agent-mode contract counts but its key is not written.
  rows = Filtrer({prest, mandat}, Filtre(true, true));
  ASSERT_EQ(rows.DCount(), 2);
  EXPECT_EQ(rows.Item(1, 6), "00001001");
  EXPECT_EQ(rows.Item(2, 1), mandat);
  EXPECT_EQ(rows.Item(2, 6), "");

  // Neither ticked: nothing counts.
  EXPECT_TRUE(Filtrer({prest, mandat}, Filtre(false, false)).Empty());
}

TEST_F(SelectionContrat, ContractDatesAndExclusion) {
  base.Contrat("00001001", "01", "001", "20040", "");       // open-ended, starts on the period's last day
  base.Contrat("00001002", "01", "001", "19000", "20009");  // ends the day before the period
  base.Contrat("00001003", "01", "001", "20041", "");       // starts after the period
  base.Contrat("00001004", "01", "001", "19000", "", "X");  // excluded by attribute 65
  const std::string fits = Absence("01", {"00001001"});
  const std::string ended = "00001" "01" "20001";
  base.Write("ABSENCESAIDANT", ended, {{17, {"00001002", "00001003", "00001004", "00009999"}}});
  const mvdb::DynArray rows = Filtrer({ended, fits}, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 1);
  EXPECT_EQ(rows.Item(1, 1), fits);
  EXPECT_EQ(rows.Item(1, 6), "00001001");
}

TEST_F(SelectionContrat, EntityFilterAndDefaultEntity) {
  base.Contrat("00001001", "01", "002", "19000", "");
  const std::string key = Absence("02", {"00001001"});
  EXPECT_TRUE(Filtrer({key}, Filtre(true, false, "001")).Empty());
  // The default entity shown: contracts of every entity count.
  EXPECT_EQ(Filtrer({key}, Filtre(true, false, "009")).Item(1, 6), "00001001");
  // Without a default entity the filter always applies.
  FiltreEntite f = Filtre(true, false, "");
  f.entiteDefaut.clear();
  EXPECT_TRUE(Filtrer({key}, f).Empty());
}

TEST_F(SelectionContrat, MissingRecordsKeepTheRowOrSkipTheContract) {
  base.Contrat("00001001", "01", "001", "19000", "");
  const std::string sansAbsence = "00002" "02" "20015";  // no such absence record
  const std::string contratAbsent = Absence("03", {"00001999", "00001001"}, "5000");
  const mvdb::DynArray rows = Filtrer({sansAbsence, contratAbsent}, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 2);
  EXPECT_EQ(rows.Item(1, 1), sansAbsence);
  EXPECT_EQ(rows.Item(1, 6), "");
  EXPECT_EQ(rows.Item(2, 6), "00001001");
  EXPECT_EQ(rows.Item(2, 7), "5000");
}

TEST_F(SelectionContrat, OtherReasonsAskTheDatabaseForTheCarersContracts) {
  base.Contrat("00001001", "01", "001", "19000", "");
  base.Contrat("00001002", "01", "001", "19500", "20100");
  base.Contrat("00001003", "02", "001", "19000", "");
  base.Contrat("00001004", "01", "002", "19000", "");  // another entity
  base.Contrat("00003001", "01", "001", "19000", "20000");  // carer 3: ended before the period
  const std::string conges = Absence("15", {});
  const std::string autre = "00003" "15" "20020";
  base.Write("ABSENCESAIDANT", autre, {});

  mvdb::DynArray rows = Filtrer({conges, autre}, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 1);  // carer 3 has no contract in the period
  EXPECT_EQ(rows.Item(1, 6), "00001002");  // the last service-provider key in key order

  rows = Filtrer({conges}, Filtre(false, true));
  ASSERT_EQ(rows.DCount(), 1);  // an agent-mode contract exists: the row stays, column 6 untouched
  EXPECT_EQ(rows.Item(1, 6), "");
}

TEST_F(SelectionContrat, ActivityPercentageForReason13WhateverTheContract) {
  base.Contrat("00001001", "01", "001", "19000", "");
  const std::string key = Absence("13", {}, "5000");
  const mvdb::DynArray rows = Filtrer({key}, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 1);
  EXPECT_EQ(rows.Item(1, 7), "5000");
  EXPECT_EQ(rows.Item(1, 6), "00001001");
}

TEST_F(SelectionContrat, ManyAbsencesOfOneCarerAskOnceAndKeepTheirOrder) {
  base.Contrat("00001001", "01", "001", "19000", "");
  std::vector<std::string> keys;
  for (int day = 20010; day < 20030; ++day) {
    keys.push_back("00001" "15" + std::to_string(day));
    base.Write("ABSENCESAIDANT", keys.back(), {});
  }
  const mvdb::DynArray rows = Filtrer(keys, Filtre(true, false));
  ASSERT_EQ(rows.DCount(), 20);
  for (int i = 1; i <= 20; ++i) {
    EXPECT_EQ(rows.Item(i, 1), keys[i - 1]);
    EXPECT_EQ(rows.Item(i, 6), "00001001");
  }
}

TEST_F(SelectionContrat, EmptySelectionStaysEmpty) {
  mvdb::DynArray rows;
  FiltrerParContrat(rows, Filtre(true, false), {base.db(), base.absences(), base.contrats(), enregAbsence, enregContrat});
  EXPECT_TRUE(rows.Empty());
}

}  // namespace
}  // namespace morvane::control
