// The association's code tables (file TABLES): absence reasons at their fixed
// positions, street types and titles of address.
#pragma once

#include <string>
#include <vector>

#include "demo/record_text.h"

namespace morvane::demo {

/// One entry of a code table: a code and its label.
struct CodeEntry {
  std::string code;
  std::string label;
};

/// The absence reasons in table order. The position of a reason in this list
/// (from 1) is its position in the table: the form offers each absence type the
/// reasons at fixed positions, so position p holds code p for p = 1..32; the
/// "other" reasons coded 50 and above follow.
const std::vector<CodeEntry>& AbsenceReasons();
/// Street types: code (stored in addresses) and label.
const std::vector<CodeEntry>& StreetTypes();
/// Titles of address: "1" Monsieur, "2" Madame, "3" Mademoiselle.
const std::vector<CodeEntry>& Titles();

/// The TABLES records "ABSENCES", "NATUREVOIE" and "TITRES": attribute 1 the
/// table's title, 2 the codes, 3 the labels (parallel).
std::vector<FileRecord> CodeTables();

}  // namespace morvane::demo
