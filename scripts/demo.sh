#!/usr/bin/env bash
# The main job on the embedded demo database: builds the project, creates the
# demo database and produces one of each output into out/ (or the folder
# given): the printed list, the planning, the CSV statistics file, the printed
# paid-leave letters and the mail-merged letters.
# MORVANE_DEMO_DB=ADDRESS makes them from that database instead (it must hold
# the demo data; scripts/demo-server.sh gives a server's).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD="${MORVANE_BUILD:-build}"
OUT="$(realpath -m "${1:-out}")"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" -j2 --target mvdb morvane
mkdir -p "$OUT"
DB="${MORVANE_DEMO_DB:-$OUT/demo.mvdb}"
if [ -z "${MORVANE_DEMO_DB:-}" ]; then
  rm -rf "$DB" "$DB"-* "$DB".d
  "$BUILD"/src/mvdb demo "$DB"
fi

# The demo data are built around 15 June 2025; the outputs are dated that day.
export MORVANE_TODAY=2025-06-15
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then export XDG_RUNTIME_DIR="$(mktemp -d)"; fi
report() { "$BUILD"/src/morvane report --db "$DB" --out "$OUT" "$@"; }

echo "== list: sick leave, leave and other absences of 2025, by sector, entity 010"
report --sick-leave --leave --other --entity 010 --from 01/01/2025 --to 31/12/2025 \
  --output list --output-file "$OUT/liste.pdf"
echo "== planning: every type, 12 weeks from 2 June 2025, by sector"
report --sick-leave --leave --other --to-validate --from 02/06/2025 --to 24/08/2025 \
  --output planning --output-file "$OUT/planning.pdf"
echo "== CSV statistics file: every type of 2025, all carers"
report --sick-leave --leave --other --to-validate --all --from 01/01/2025 --to 31/12/2025 --output export
echo "== paid-leave letters: sick leave ending in the first half of 2025"
report --sick-leave --count ending --from 01/01/2025 --to 30/06/2025 --output letter-type \
  --output-file "$OUT/lettres.pdf"
echo "== mail-merged letters: the same selection"
report --sick-leave --count ending --from 01/01/2025 --to 30/06/2025 --output letter-merge

STAT="$(ls -d "$DB".d/STATAIDANT 2>/dev/null || true)"
echo
echo "Outputs in $OUT${STAT:+ and $STAT}:"
if [ -n "$STAT" ]; then ls -1 "$OUT" "$STAT"; else ls -1 "$OUT"; fi | sed 's/^/  /'
