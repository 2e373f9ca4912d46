// Parser of the query language: text to syntax tree, with no storage access.
#pragma once

#include <cstddef>
#include <string_view>

#include "mvdb/query/ast.h"

namespace mvdb::query {

/// The most PAR clauses a query may have: a sort key per clause and record is
/// kept while the query runs.
inline constexpr std::size_t kMaxSortClauses = 16;

/// Parses "SSELECT file [AVEC field op "value" [AND|OR op "value"]...
/// [AND AVEC|OR AVEC ...]] [PAR field]...". Keywords (SSELECT, AVEC, AND, OR,
/// PAR) are read in any letter case. Throws DbError kQuerySyntax whose message
/// starts with "position N:" and says what was expected there, also for a
/// PAR clause beyond kMaxSortClauses.
Query Parse(std::string_view text);

}  // namespace mvdb::query
