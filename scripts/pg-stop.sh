#!/usr/bin/env bash
# Stops the throwaway PostgreSQL server of pg-start.sh and removes its data.
set -euo pipefail
DATA=${1:-/tmp/ostrelle-pg}
BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n1)
if [ -f "$DATA/postmaster.pid" ]; then
  if [ "$(id -u)" -eq 0 ]; then
    (cd / && runuser -u postgres -- "$BIN/pg_ctl" -D "$DATA" -m fast -w stop >/dev/null) || true
  else
    (cd / && "$BIN/pg_ctl" -D "$DATA" -m fast -w stop >/dev/null) || true
  fi
fi
rm -rf "$DATA"
