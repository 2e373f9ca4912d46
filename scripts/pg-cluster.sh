#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests and the server demo: made with
# initdb in FOLDER, listening on a Unix socket in FOLDER only (no TCP port),
# without fsync. Its first role "morvane" is trusted on that socket; every other
# login signs in with its password (scram-sha-256).
# Usage: scripts/pg-cluster.sh start FOLDER   makes a new cluster in FOLDER (whatever was
#                                             there goes) and prints the address of its
#                                             "postgres" database
#        scripts/pg-cluster.sh stop FOLDER    stops it (if running) and removes FOLDER
#        scripts/pg-cluster.sh halt FOLDER    stops it, keeping its data
#        scripts/pg-cluster.sh resume FOLDER  starts a halted cluster again, prints its address
# Run as root, the server runs as the postgres system user, which must be able
# to reach FOLDER (a folder under /tmp is).
set -euo pipefail

ACTION="${1:-}"
FOLDER="${2:-}"
if [ -z "$ACTION" ] || [ -z "$FOLDER" ]; then
  echo "usage: $0 start|stop|halt|resume FOLDER" >&2
  exit 2
fi

case "$FOLDER" in
  *[[:space:]]*) echo "$0: the folder of a cluster holds its socket: no blanks in \"$FOLDER\"" >&2; exit 2 ;;
esac

BIN="$(pg_config --bindir 2>/dev/null || true)"
if [ ! -x "$BIN/initdb" ]; then
  BIN="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
fi
if [ ! -x "$BIN/initdb" ]; then
  echo "$0: PostgreSQL's initdb is not installed (scripts/setup.sh installs it)" >&2
  exit 1
fi

# Runs a server program as the cluster's owner.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

# Starts the server of the cluster in FOLDER and prints its address.
run_server() {
  as_owner "$BIN/pg_ctl" -D "$FOLDER/data" -l "$FOLDER/server.log" -w -t 60 \
    -o "-c listen_addresses='' -k $FOLDER -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
    start >/dev/null || { cat "$FOLDER/server.log" >&2; exit 1; }
  echo "host=$FOLDER user=morvane dbname=postgres"
}

case "$ACTION" in
  start)
    if [ -e "$FOLDER/data/postmaster.pid" ]; then
      as_owner "$BIN/pg_ctl" -D "$FOLDER/data" -m immediate stop >/dev/null 2>&1 || true
    fi
    rm -rf "$FOLDER"
    mkdir -p "$FOLDER"
    if [ "$(id -u)" -eq 0 ]; then chown postgres: "$FOLDER"; fi
    as_owner "$BIN/initdb" -D "$FOLDER/data" -U morvane --auth=trust -E UTF8 --locale=C.UTF-8 --no-sync \
      >"$FOLDER/initdb.log" 2>&1 || { cat "$FOLDER/initdb.log" >&2; exit 1; }
    printf 'local all morvane trust\nlocal all all scram-sha-256\n' >"$FOLDER/data/pg_hba.conf"
    run_server
    ;;
  resume)
    run_server
    ;;
  halt)
    as_owner "$BIN/pg_ctl" -D "$FOLDER/data" -m fast -w stop >/dev/null
    ;;
  stop)
    if [ -e "$FOLDER/data/postmaster.pid" ]; then
      as_owner "$BIN/pg_ctl" -D "$FOLDER/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$FOLDER"
    ;;
  *)
    echo "usage: $0 start|stop|halt|resume FOLDER" >&2
    exit 2
    ;;
esac
