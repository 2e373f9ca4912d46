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

# The demo users as the server's logins, each with a demo password kept in
# the cluster's own password file; the outputs are made as "admin", a login
# that reads the tables only (the export's file is in the shared folder).
PGPASSFILE="$CLUSTER/pgpass"
export PGPASSFILE
: >"$PGPASSFILE"
chmod 600 "$PGPASSFILE"
add_login() {
  local name="$1"
  shift
  printf 'demo-%s\n' "$name" >"$CLUSTER/password"
  "$BUILD"/src/mvdb user add "$ADDRESS" "$name" --password-file "$CLUSTER/password" "$@"
  printf '*:*:*:%s:demo-%s\n' "$name" "$name" >>"$PGPASSFILE"
}
add_login admin --display Administratrice
add_login secteur --sectors 001,003 --display "Responsable de secteur"
add_login lecteur --level 1 --display Consultation
rm -f "$CLUSTER/password"

MORVANE_DEMO_DB="$ADDRESS user=admin" bash scripts/demo.sh "$OUT/server"
echo "Logins admin, secteur, lecteur (passwords in $PGPASSFILE); the outputs' audit trail:"
"$BUILD"/src/mvdb audit "$ADDRESS" | sed 's/^/  /'
echo "Database: $ADDRESS; its CSV files in $OUT/server-files/STATAIDANT:"
ls -1 "$OUT/server-files/STATAIDANT" | sed 's/^/  /'
