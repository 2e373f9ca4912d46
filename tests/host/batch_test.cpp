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

TEST_F(BatchRun, TheFormsRefusalsEndWithStatusOne) {
  const std::pair<const char*, const char*> cases[] = {
      {"--all --from 01/06/2025 --to 30/06/2025", "Au moins un type d'absence doit être sélectionné."},
      {"--sick-leave --output planning --from 02/06/2025 --to 31/08/2025", "12 semaines"},
      {"--sick-leave --sector 999 --from 01/06/2025 --to 30/06/2025", "Ce secteur n'existe pas."}};
  for (const auto& [args, message] : cases) {
    EXPECT_EQ(Report(Words(args)), 1);
    EXPECT_NE(errors.find(message), std::string::npos) << errors;
  }
}

TEST_F(BatchRun, CriteriaTheFormDoesNotOfferAreUsageErrors) {
  EXPECT_EQ(Report({"--sick-leave", "--reason", "15"}), 2);  // a leave reason, not a sick-leave one
  EXPECT_NE(errors.find("Maladie"), std::string::npos) << errors;
  EXPECT_EQ(Report({"--leave", "--no-return-date"}), 2);  // only offered with sick leave
  EXPECT_EQ(errors, "morvane report: --no-return-date: the form does not offer \"qui n'ont pas de date de reprise\" "
                    "with these criteria (it is greyed out)\n");
  EXPECT_EQ(Report({"--leave", "--output", "letter-type"}), 2);
  EXPECT_EQ(Report({"--sick-leave", "--printer", "NO SUCH PRINTER"}), 2);
}

}  // namespace
}  // namespace morvane::host
