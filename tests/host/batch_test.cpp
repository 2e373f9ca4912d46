// The batch mode: its options, and whole runs on a small demo database with
// the exit status each outcome gives.

#include "batch_fixture.h"
#include "host/batch_options.h"

namespace morvane::host {
namespace {

std::optional<BatchOptions> Parse(std::vector<std::string> args) {
  std::string message;
  return ParseBatchOptions(args, message);
}

TEST(BatchOptionsTest, EveryCriterionHasItsOption) {
  const auto o = Parse(Words("--sick-leave --leave --other --to-validate --reason 03 --commune 75000 --entity=010 "
                              "--provider no --agent yes --from 01/06/2025 --to 30/06/2025 --count ending "
                              "--no-return-date --sort end --output letter-merge --printer PDF --copies 3 "
                              "--output-file /tmp/x.pdf --db /tmp/d.mvdb --user secteur --out /tmp/out"));
  ASSERT_TRUE(o);
  EXPECT_TRUE(o->sickLeave && o->leave && o->other && o->toValidate && o->noReturnDate);
  EXPECT_EQ(std::tuple(o->provider, o->agent), std::tuple(false, true));
  EXPECT_EQ(std::tuple(o->carers, o->count, o->sort, o->output, o->copies),
            std::tuple(BatchOptions::Carers::Commune, BatchOptions::Count::Ending, BatchOptions::Sort::End,
                       BatchOptions::Output::LetterMerge, 3));
  EXPECT_EQ((std::vector<std::string>{o->reason, o->carerCode, o->entity, o->from, o->to, o->printer,
                                      o->outputFile.string(), o->database.string(), o->user, o->outputDir.string()}),
            (std::vector<std::string>{"03", "75000", "010", "01/06/2025", "30/06/2025", "PDF", "/tmp/x.pdf",
                                      "/tmp/d.mvdb", "secteur", "/tmp/out"}));

  // "--sector" without a code, followed by another option or last: every sector.
  for (const char* args : {"--sector --entity 010", "--entity 010 --sector"}) {
    const auto grouped = Parse(Words(args));
    ASSERT_TRUE(grouped);
    EXPECT_EQ(std::tuple(grouped->carers, grouped->carerCode, grouped->entity),
              std::tuple(BatchOptions::Carers::Sector, "", "010"));
  }
}

// Whole runs on a demo database of a few carers.
class BatchRun : public BatchFixture<BatchRun> {};

// The form's refusals end with status 1; criteria the form does not offer are
// usage errors (status 2).
TEST_F(BatchRun, RefusalsEndWithTheirStatusAndMessage) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"--all --from 01/06/2025 --to 30/06/2025", 1, "Au moins un type d'absence doit être sélectionné."},
      {"--sick-leave --output planning --from 02/06/2025 --to 31/08/2025", 1, "12 semaines"},
      {"--sick-leave --sector 999 --from 01/06/2025 --to 30/06/2025", 1, "Ce secteur n'existe pas."},
      {"--sick-leave --reason 15", 2, "Maladie"},  // a leave reason, not a sick-leave one
      {"--leave --no-return-date", 2,  // only offered with sick leave
       "morvane report: --no-return-date: the form does not offer \"qui n'ont pas de date de reprise\" with these "
       "criteria (it is greyed out)\n"},
      {"--leave --output letter-type", 2, ""},
      {"--sick-leave --printer NOSUCHPRINTER", 2, ""},
  };
  for (const auto& [args, status, message] : cases) {
    EXPECT_EQ(Report(Words(args)), status) << args;
    EXPECT_NE(errors.find(message), std::string::npos) << errors;
  }
}

}  // namespace
}  // namespace morvane::host
