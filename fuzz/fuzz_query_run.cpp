// Parse and run arbitrary query text against a small fixed database. The
// input is "query\nattributes": the first line is the query, the rest the
// attribute numbers to return. A selection either returns or throws DbError.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "mvdb/database.h"
#include "mvdb/errors.h"
#include "engine_test_support.h"

namespace {

mvdb::testing_support::ScratchDatabase& Fixture() {
  static auto* fixture = [] {
    auto* t = new mvdb::testing_support::ScratchDatabase();  // lives for the whole run
    mvdb::testing_support::FillAbsences(*t);
    t->db().CreateIndex("ABSENCESAIDANT", "DebAbsAidant");
    return t;
  }();
  return *fixture;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 4096) return -1;  // long texts add nothing but time
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto newline = input.find('\n');
  const std::string query(input.substr(0, newline));
  const std::string attributes = newline == std::string_view::npos ? "0" : std::string(input.substr(newline + 1));
  mvdb::DynArray request;
  request.SetItem(1, query);
  request.SetItem(2, "");
  request.SetItem(3, attributes);
  long count = -1;
  try {
    (void)Fixture().db().DBSelect(request.Text(), "", count);
  } catch (const mvdb::DbError&) {
  }
  return 0;
}
