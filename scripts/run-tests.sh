#!/usr/bin/env bash
# Runs every test. Database tests run on SQLite always and on PostgreSQL: the server named by
# OSTRELLE_TEST_PG when it is set, else a throwaway server started here and stopped afterwards.
set -euo pipefail
BUILD=${1:-build/ci}
cd "$(dirname "$0")/.."

started=""
if [ -z "${OSTRELLE_TEST_PG:-}" ]; then
  PGDATA_DIR=$(mktemp -d /tmp/ostrelle-pg.XXXXXX)
  if OSTRELLE_TEST_PG=$(bash scripts/pg-start.sh "$PGDATA_DIR" 54330); then
    export OSTRELLE_TEST_PG
    started=$PGDATA_DIR
  else
    echo "warning: no PostgreSQL server could be started; database tests run on SQLite only" >&2
    unset OSTRELLE_TEST_PG
  fi
fi
cleanup() { [ -n "$started" ] && bash scripts/pg-stop.sh "$started"; return 0; }
trap cleanup EXIT

ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)"
