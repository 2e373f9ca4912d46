// Carers (CIVILAIDANT) and their employment contracts (CONTRAT).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "demo/record_text.h"

namespace morvane::demo {

/// What the absence generator needs to know of one contract.
struct ContractSummary {
  std::string key;     ///< carer code + 3-digit sequence, e.g. "00012001"
  std::string kind;    ///< "01" service provider, "02" agent mode
  std::string entity;  ///< legal entity code
  int start = 0;       ///< first day (day number)
  int end = 0;         ///< last day, 0 when open-ended
  bool Covers(int day) const { return start <= day && (end == 0 || day <= end); }
};

/// One generated carer: the CIVILAIDANT record, its CONTRAT records and their
/// summaries (same order).
struct GeneratedCarer {
  std::string code;
  FileRecord civil;
  std::vector<FileRecord> contracts;
  std::vector<ContractSummary> summaries;
};

/// The carer code of the carer numbered `index` (from 0): 5 digits from "00001".
std::string CarerCode(long index);
/// The contract key: carer code followed by a 3-digit sequence from "001".
std::string ContractKey(const std::string& carerCode, int sequence);

/// Generates carer `index` for `seed`; the result depends on nothing else but
/// `today` (day number of the demo date), so carers can be made in any order.
GeneratedCarer MakeCarer(std::uint64_t seed, long index, int today);

}  // namespace morvane::demo
