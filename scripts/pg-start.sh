#!/usr/bin/env bash
# Starts a throwaway PostgreSQL server for the tests on a private port and prints its URI.
# Usage: scripts/pg-start.sh [DATADIR] [PORT]
set -euo pipefail
DATA=${1:-/tmp/ostrelle-pg}
PORT=${2:-54329}
BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
[ -x "$BIN/initdb" ] || { echo "PostgreSQL server binaries not found" >&2; exit 1; }

as_pg() {
  if [ "$(id -u)" -eq 0 ]; then (cd / && runuser -u postgres -- "$@"); else (cd / && "$@"); fi
}

if [ -f "$DATA/postmaster.pid" ] && as_pg "$BIN/pg_ctl" -D "$DATA" status >/dev/null 2>&1; then
  echo "postgresql://postgres@127.0.0.1:$PORT/postgres"
  exit 0
fi
rm -rf "$DATA"
mkdir -p "$DATA"
[ "$(id -u)" -eq 0 ] && chown postgres:postgres "$DATA"
as_pg "$BIN/initdb" -D "$DATA" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >/dev/null
as_pg "$BIN/pg_ctl" -D "$DATA" -l "$DATA/server.log" -w \
  -o "-p $PORT -k $DATA -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
  start >/dev/null
echo "postgresql://postgres@127.0.0.1:$PORT/postgres"
