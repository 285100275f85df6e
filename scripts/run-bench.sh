#!/usr/bin/env bash
# Runs the benchmarks found in the build's bench folder.
set -euo pipefail
BUILD=${1:-build/ci}
cd "$(dirname "$0")/.."
found=0
failed=0
for b in "$BUILD"/bin/bench_*; do
  [ -x "$b" ] || continue
  found=1
  echo "== $(basename "$b")"
  "$b" || { echo "$(basename "$b") failed"; failed=1; }
done
[ $found -eq 1 ] || echo "no benchmarks built"
exit $failed
