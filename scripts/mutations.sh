#!/usr/bin/env bash
# Deliberately wrong changes, one at a time: each is applied to a copy of the
# source (a sed expression on one line), the test program that should notice
# it is built and run on the tests that guard the behaviour, and the change
# is taken back. Prints "caught" or "MISSED" per change and exits non-zero
# when a change is missed or could not be applied.
#
# Usage: scripts/mutations.sh [ID...]        (all changes when no ID is given)
# Builds in build-mutations/ (MORVANE_MUTATION_BUILD), -j2. Leave the
# sources alone while it runs: a file changed meanwhile is built half old.
# Changes that tests on a database server must notice (their filter names
# "Server") run on a throwaway PostgreSQL cluster started for the run.
set -uo pipefail
cd "$(dirname "$0")/.."
BUILD="${MORVANE_MUTATION_BUILD:-build-mutations}"
export QT_QPA_PLATFORM=offscreen

# id ^ file ^ sed expression ^ test program ^ gtest filter ^ what is wrong
MUTATIONS=$(cat <<'EOF'
E1^src/mvdb/query/values.h^s/case CompareOp::kLe: return order <= 0;/case CompareOp::kLe: return order < 0;/^test_mvdb^*-*Server*^the query's "<=" turned into "<"
E2^src/mvdb/query/sort_order.cpp^s/  if (a.number) return -1;/  if (a.number) return 1;/^test_mvdb^*-*Server*^numbers sorted after texts
E3^src/mvdb/query/resolver.h^s/(smallNumbers >> \*whole \& 1)/(smallNumbers >> (*whole + 1) \& 1)/^test_mvdb^*-*Server*^a small whole number tested as the next one
E4^src/mvdb/query/sort_order.cpp^s/key >> (from + pass \* kDigitBits)/key >> (from + pass * kDigitBits + 1)/^test_mvdb^*-*Server*^a large sort ranks on the wrong bits
E5^src/mvdb/query/index_store.cpp^s/if (version \&\& version == countedAt \&\& writes == countedAfter) return;/if (writes == countedAfter) return;/^test_mvdb^*QueryIndexTest.*-*Server*^counts remembered across another connection's commit
E6^src/mvdb/query/index_store.cpp^s/    ++writes;/    writes += 0;/^test_mvdb^*QueryIndexTest.*-*Server*^counts remembered across this connection's writes
E7^src/mvdb/postgres/range_reader.cpp^s/helper_->Exec("SET TRANSACTION SNAPSHOT " + helper_->Literal(snapshot_));//^test_mvdb^*StorageTest.ALargeScan*Server^a half of a large server scan read outside the scan's snapshot
E8^src/mvdb/postgres/range_reader.cpp^s/where += " AND key < "/where += " AND key <= "/^test_mvdb^*StorageTest.ALargeScan*Server^the middle key of a large server scan read twice
E9^src/mvdb/postgres/backend.cpp^s/failed = true;  \/\/ the helper failed: this connection reads the rest/throw;/^test_mvdb^*StorageTest.ALargeServerScan*Server^a large server scan fails with a helper connection
S1^src/services/droits.cpp^s/return sectors_->isEmpty() || sectors_->contains(code);/return sectors_->contains(code);/^test_services^Droits*^an empty sector list no longer means every sector
S2^src/services/planning_model.cpp^s/absentToday\[day\] = 1;/absentToday[day] += 1;/^test_services^PlanningModel*^a carer counted once per absence instead of once a day
S3^src/services/outils_date.cpp^s/kDayZero(1967, 12, 31)/kDayZero(1968, 1, 1)/^test_services^DayNumbers*:DateInterne*^day numbers one day off
H1^src/host/batch.cpp^s/kRefused = 1,/kRefused = 5,/^test_host^BatchRun.*^a refusal's exit status changed
C1^src/control/host_contract.cpp^s/NiveauAcces() != 2/NiveauAcces() < 2/^test_control^HostContract.*^the print right granted above level 2
C2^src/control/dispatch.cpp^s/if (FinPeriode > DebutPeriode + kAmplitudePlanningMax)/if (FinPeriode >= DebutPeriode + kAmplitudePlanningMax)/^test_control^Dispatch.TwelveWeeks*^a planning of exactly 12 weeks refused
C3^src/control/lookup_secteur.cpp^s/code.rightJustified(kLongueurSecteur/code.leftJustified(kLongueurSecteur/^test_control^Lookup.*^sector codes padded on the wrong side
C4^src/control/selection_requete.cpp^0,/AND AVEC 2 >= /s//AND AVEC 2 > /^test_control^Requete.*:Dispatch.TheQuery*^a wrong query text (absences ending on the first day left out)
C5^src/control/selection_contrat.cpp^s/if (contrat.debut > f.fin) return false;/if (contrat.debut >= f.fin) return false;/^test_control^Filtres.*^a contract starting on the period's last day left out
C6^src/control/selection_exceptions.cpp^s/marqueur == "M" ? "1" : "2"/marqueur == "M" ? "2" : "1"/^test_control^Filtres.*^a portion's half days read the wrong way
C7^src/control/list_page.cpp^s/NbLignesMax = 50;/NbLignesMax = 49;/^test_control^Liste.*^sixteen blocks on a matrix printer's page
C8^src/control/list_detail.cpp^s/if (!AidantVisible(ctx_.droits, civil)) return;//^test_control^Liste.*^the list's rights check skipped
C9^src/control/export_csv.cpp^s/find_first_of(";\\"\\r\\n")/find_first_of("\\"\\r\\n")/^test_control^Export.*^the CSV quoting of ";" dropped
C10^src/control/export_calculs.cpp^s/return std::floor(x + 0.5);/return std::floor(x);/^test_control^Export*^hours rounded down instead of half up
C11^src/control/export_fichier.cpp^s/if (!lignes.Visible(resultat, ligne)) continue;//^test_control^Export.*^the export's rights check skipped
C12^src/control/lettre_contrats.cpp^s/if (cle == derniere) continue;//^test_control^Lettres.*^consecutive absences on one contract get two letters
C13^src/control/lettre_contrats.cpp^s/contrat->Item(1) == "02"/contrat->Item(1) == "03"/^test_control^Lettres.*^agent-mode contracts get letters
C14^src/control/selection_motif.cpp^s/lignes\[j\].first < lignes\[plusPetit\].first/lignes[j].first > lignes[plusPetit].first/^test_control^Formulaire.*^the reasons sorted the wrong way
C15^src/control/lookup_entite.cpp^s/code.rightJustified(kLongueurEntite/code.leftJustified(kLongueurEntite/^test_control^Lookup.*^entity codes padded on the wrong side
C16^src/control/export_calculs.cpp^s/an % 4 == 0/an % 400 == 0/^test_control^ExportChiffres.*^February of 2024 taken for 28 days
C17^src/control/form_controls.cpp^s/: Sortie::Aucune;/: Sortie::Liste;/^test_control^Dispatch.*^no output option selected prints the list
C18^src/control/periode.cpp^s/if (\*debut > \*fin) {/if (*debut >= *fin) {/^test_control^Formulaire.*^a single-day period refused
C19^src/control/event_adapter.cpp^s/if (selected) Run(name, procedure);/Run(name, procedure);/^test_control^EventAdapterTest.*:Formulaire.*:Lookup.*^an option's Click run when it is unselected
C20^src/control/event_adapter.cpp^s/if (index != LastIndex(list)) {/if (false) {/^test_control^EventAdapterTest.*:Formulaire.*:Lookup.*^a list's text following a pick runs Change
C21^src/control/event_adapter.cpp^s/if (keyAscii == 0) return true;/if (keyAscii == 0) return false;/^test_control^Formulaire.*:Lookup.*^a key that KeyPress swallows is typed all the same
C22^src/control/event_adapter.cpp^s/reason != Qt::ActiveWindowFocusReason && //^test_control^EventAdapterTest.*:Formulaire.*:Lookup.*^another window taking the focus runs LostFocus
C23^src/control/selection_aidants.cpp^s/      if (test.number) {/      if (false) {/^test_control^Filtres.*^carers asked at once miss contracts whose carer code is the same number written otherwise
O1^src/control/export_csv.cpp^s/ChampCsv(formule ? "'" + std::string(texte) : texte)/ChampCsv(texte)/^test_control^Export.*^the CSV's apostrophe before a formula dropped
O2^src/services/output_file.cpp^s/fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);/fd_ = ::open(final_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);/^test_services^OutputFileTest.*^an output file written under its own name
O3^src/services/planning_model.cpp^s/const bool visible = source.SectorVisible(carer.sector);/const bool visible = true;/^test_services^PlanningModel.*^the planning shows and counts a hidden sector's carers
O4^src/control/lettre_contrats.cpp^s/if (!lu || !AidantVisible(droits, civil)) continue;/if (!lu) continue;/^test_host^*BatchRights.*^the letters' rights check skipped
ST1^src/mvdb/postgres/backend.cpp^s/VALUES($1, $2) ON CONFLICT (key) DO NOTHING",/VALUES($1, $2) ON CONFLICT (key) DO UPDATE SET record = excluded.record",/^test_mvdb^Storages/DatabaseTest.*/Server:Storages/StorageTest.*/Server^the server's one-writer-wins: a new record overwrites
ST2^src/mvdb/directory_files.cpp^s/if (::link(tmpPath.c_str(), finalPath.c_str()) != 0) {/if (::rename(tmpPath.c_str(), finalPath.c_str()) != 0) {/^test_mvdb^Storages/DirectoryFileTest.*^a new directory-file record replaces one of the same name
H2^src/host/host_options.cpp^s/constexpr int kUsage = 2;/constexpr int kUsage = 1;/^test_host^CommandLine.*^a bad command line's exit status changed
H3^src/tools/main.cpp^/catch (const mvdb::DbError& e)/,/return 1;/s/return 1;/return 0;/^test_reliability^DatabaseFiles.*^mvdb says success when its export or import failed
EOF
)

wanted=("$@")
selected() {
  [ ${#wanted[@]} -eq 0 ] && return 0
  local w
  for w in "${wanted[@]}"; do [ "$w" = "$1" ] && return 0; done
  return 1
}

if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_BUILD_BENCH=OFF >/dev/null || exit 1
fi

# A database server for the changes whose tests need one.
needs_server=0
while IFS='^' read -r id file expression target filter what; do
  if [ -n "$id" ] && selected "$id" && [[ "$filter" == *Server* ]]; then needs_server=1; fi
done <<<"$MUTATIONS"
if [ "$needs_server" = 1 ] && [ -z "${MORVANE_TEST_PG:-}" ]; then
  PG_DIR="/tmp/morvane-pg-mutations-$$"
  trap 'scripts/pg-cluster.sh stop "$PG_DIR" >/dev/null 2>&1' EXIT
  MORVANE_TEST_PG="$(scripts/pg-cluster.sh start "$PG_DIR" | tail -n 1)" || exit 1
  export MORVANE_TEST_PG
fi

status=0
while IFS='^' read -r id file expression target filter what; do
  [ -n "$id" ] || continue
  selected "$id" || continue
  cp "$file" "$file.orig"
  sed -i "$expression" "$file"
  if cmp -s "$file" "$file.orig"; then
    echo "$id  NOT APPLIED  $file: the expression matches nothing"
    mv "$file.orig" "$file"
    status=1
    continue
  fi
  if ! cmake --build "$BUILD" -j2 --target "$target" >"$BUILD/mutation-$id.log" 2>&1; then
    result="caught (does not build)"
  elif timeout 900 "$BUILD/tests/$target" --gtest_filter="$filter" >>"$BUILD/mutation-$id.log" 2>&1; then
    result="MISSED"
    status=1
  else
    result="caught by $(grep -m1 -o '^\[  FAILED  \] [^ ]*' "$BUILD/mutation-$id.log" | sed 's/\[  FAILED  \] //')"
  fi
  mv "$file.orig" "$file"
  touch "$file"  # the next build compiles the original again
  printf '%-4s %-45s %s\n' "$id" "$what" "$result"
done <<<"$MUTATIONS"
exit $status
