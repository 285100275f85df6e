#!/usr/bin/env bash
# Runs every test. Database tests run on SQLite always and on PostgreSQL: the server named by
# OSTRELLE_TEST_PG when it is set, else a throwaway server started here and stopped afterwards.
#   scripts/run-tests.sh [build dir] [--sanitizers]
# --sanitizers: the build has the address and undefined-behaviour sanitizers (preset asan); any
# finding, a leak included, fails its test. The fuzz tests are left out: they build and run their
# own sanitized fuzzers and would double the time.
set -euo pipefail
BUILD=${1:-build/ci}
SANITIZERS=${2:-}
cd "$(dirname "$0")/.."

ctest_args=()
if [ "$SANITIZERS" = --sanitizers ]; then
  # No strict_string_checks: with it the X keyboard library's strndup of a length-bounded name
  # counts as an overflow, and every test on a real X display stops in that system library.
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1
  export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
  ctest_args+=(-E '^fuzz')
elif [ -n "$SANITIZERS" ]; then
  echo "usage: $0 [build dir] [--sanitizers]" >&2
  exit 2
fi

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

ctest --test-dir "$BUILD" --output-on-failure -j "$(nproc)" "${ctest_args[@]}"
