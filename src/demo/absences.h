// Absences of one carer (ABSENCESAIDANT records).
#pragma once

#include <cstdint>
#include <vector>

#include "demo/carers.h"
#include "demo/record_text.h"

namespace morvane::demo {

/// Makes `count` absences of `carer`, with distinct keys (carer code, reason,
/// first day). Most first days fall in the demo date's year and in the weeks
/// around `today`; the others spread back to the carer's hiring. Depends only
/// on seed, carer, count and today.
std::vector<FileRecord> MakeAbsences(std::uint64_t seed, long carerIndex,
                                     const GeneratedCarer& carer, long count, int today);

}  // namespace morvane::demo
