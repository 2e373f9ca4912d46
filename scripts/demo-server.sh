#!/usr/bin/env bash
# The main job again, from a database server: builds the project, starts a
# local PostgreSQL cluster in out/pg (listening on a socket in that folder
# only), copies the embedded demo database into it with `mvdb copy`, and
# writes the five outputs from the server into out/server/ (the CSV file
# into out/server-files/STATAIDANT/). The cluster is halted at the end with
# its data kept; `scripts/pg-cluster.sh resume out/pg` starts it again.
# Usage: scripts/demo-server.sh [out-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
BUILD="${MORVANE_BUILD:-build}"
OUT="$(realpath -m "${1:-out}")"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j2 --target mvdb morvane
mkdir -p "$OUT/server"

DB="$OUT/demo.mvdb"
if [ ! -e "$DB" ]; then "$BUILD"/src/mvdb demo "$DB"; fi

# The server runs as the postgres system user when this script runs as root:
# its folder must be reachable by that user, or the cluster goes to /tmp.
CLUSTER="$OUT/pg"
if [ "$(id -u)" -eq 0 ] && ! runuser -u postgres -- test -x "$OUT"; then
  CLUSTER="/tmp/morvane-pg-demo"
  echo "== $OUT cannot be reached by the postgres user: the cluster goes to $CLUSTER"
fi
echo "== a local cluster in $CLUSTER"
ADDRESS="$(bash scripts/pg-cluster.sh start "$CLUSTER") schema=morvane"
trap 'bash scripts/pg-cluster.sh halt "$CLUSTER" || true' EXIT
rm -rf "$OUT/server-files" "$OUT"/server/*
"$BUILD"/src/mvdb create "$ADDRESS" --directory-root "$OUT/server-files"
"$BUILD"/src/mvdb copy "$DB" "$ADDRESS"

export MORVANE_TODAY=2025-06-15
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then export XDG_RUNTIME_DIR="$(mktemp -d)"; fi
report() { "$BUILD"/src/morvane report --db "$ADDRESS" --out "$OUT/server" "$@"; }

echo "== list: sick leave, leave and other absences of 2025, by sector, entity 010"
report --sick-leave --leave --other --entity 010 --from 01/01/2025 --to 31/12/2025 \
  --output list --output-file "$OUT/server/liste.pdf"
echo "== planning: every type, 12 weeks from 2 June 2025, by sector"
report --sick-leave --leave --other --to-validate --from 02/06/2025 --to 24/08/2025 \
  --output planning --output-file "$OUT/server/planning.pdf"
echo "== CSV statistics file: every type of 2025, all carers"
report --sick-leave --leave --other --to-validate --all --from 01/01/2025 --to 31/12/2025 --output export
echo "== paid-leave letters: sick leave ending in the first half of 2025"
report --sick-leave --count ending --from 01/01/2025 --to 30/06/2025 --output letter-type \
  --output-file "$OUT/server/lettres.pdf"
echo "== mail-merged letters: the same selection"
report --sick-leave --count ending --from 01/01/2025 --to 30/06/2025 --output letter-merge

echo
echo "Database: $ADDRESS"
echo "Outputs from the server in $OUT/server and $OUT/server-files/STATAIDANT:"
ls -1 "$OUT/server" "$OUT/server-files/STATAIDANT" 2>/dev/null | sed 's/^/  /'
