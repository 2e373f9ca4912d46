#!/usr/bin/env bash
# The main job again, from a database server: runs scripts/demo.sh (which
# builds the project, makes the embedded demo database out/demo.mvdb and its
# outputs), starts a local PostgreSQL cluster in out/pg (listening on a socket
# in that folder only), copies the demo database into it with `mvdb copy`, and
# writes the same five outputs from the server into out/server/ (the CSV file
# into out/server-files/STATAIDANT/). The cluster is halted at the end with
# its data kept; `scripts/pg-cluster.sh resume out/pg` starts it again.
# Usage: scripts/demo-server.sh [out-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD="${MORVANE_BUILD:-build}"
OUT="$(realpath -m "${1:-out}")"
bash scripts/demo.sh "$OUT"

# The server runs as the postgres system user when this script runs as root:
# its folder must be reachable by that user, or the cluster goes to /tmp.
CLUSTER="$OUT/pg"
if [ "$(id -u)" -eq 0 ] && ! runuser -u postgres -- test -x "$OUT"; then
  CLUSTER="/tmp/morvane-pg-demo"
  echo "== $OUT cannot be reached by the postgres user: the cluster goes to $CLUSTER"
fi
echo
echo "== a local cluster in $CLUSTER, the demo database copied into it"
ADDRESS="$(bash scripts/pg-cluster.sh start "$CLUSTER") schema=morvane"
trap 'bash scripts/pg-cluster.sh halt "$CLUSTER" || true' EXIT
rm -rf "$OUT/server-files" "$OUT/server"
"$BUILD"/src/mvdb create "$ADDRESS" --directory-root "$OUT/server-files"
"$BUILD"/src/mvdb copy "$OUT/demo.mvdb" "$ADDRESS"

MORVANE_DEMO_DB="$ADDRESS" bash scripts/demo.sh "$OUT/server"
echo "Database: $ADDRESS; its CSV files in $OUT/server-files/STATAIDANT:"
ls -1 "$OUT/server-files/STATAIDANT" | sed 's/^/  /'
