#!/usr/bin/env bash
# Builds the fuzzers with clang (libFuzzer, address and undefined-behaviour sanitizers) straight from
# the parsers' source files and runs each for a while from a seed corpus, then prints how many
# inputs each target ran.
#   scripts/run-fuzz.sh              build if needed, then run every target
#   scripts/run-fuzz.sh --build-only build if needed
#   scripts/run-fuzz.sh where ...    run the targets named (see TARGETS)
# OSTRELLE_FUZZ_SECONDS  seconds per target (default 20)
# OSTRELLE_FUZZ_RUNS     stop a target after this many inputs, if that comes first (default: no limit)
# OSTRELLE_FUZZ_DIR      where binaries, corpus and findings go (default build/fuzz)
# OSTRELLE_FUZZ_CXX      the clang++ to use (default clang++)
# ASAN_OPTIONS           default malloc_context_size=0: recording where every block was allocated
#                        halved the speed of the allocation-heavy targets; a fault's input is run
#                        once more with the full record for its report.
# Exit status 77 means clang or its fuzzer runtime is missing (CTest reports a skip).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${OSTRELLE_FUZZ_SECONDS:-20}
RUNS=${OSTRELLE_FUZZ_RUNS:-}
OUT=${OSTRELLE_FUZZ_DIR:-$ROOT/build/fuzz}
CXX=${OSTRELLE_FUZZ_CXX:-clang++}
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0}
TARGETS=(cardimage readout roomfile registry textfile cmdline where)

CARD_SOURCES="src/components/cardserver/CardFormatStatus.cpp src/components/cardserver/CardImage.cpp
  src/components/cardserver/CardImageCodec.cpp src/components/cardserver/Crc32.cpp
  src/components/cardserver/Readout.cpp src/components/cardserver/RegistrationNumber.cpp"
RECORDTABLE_SOURCES="$(cd "$ROOT" && echo src/components/recordtable/*.cpp) src/platform/FileVersion.cpp"
# The parser sources each target links, and the libraries beyond Qt Core.
declare -A SOURCES=(
  [cardimage]=$CARD_SOURCES
  [readout]=$CARD_SOURCES
  [roomfile]=src/cards/RoomOverrides.cpp
  [registry]=src/platform/RegistryStoreFormat.cpp
  [textfile]="src/components/textlib/RcFile.cpp src/texts/Texts.cpp"
  [cmdline]=src/startup/CommandLine.cpp
  [where]=$RECORDTABLE_SOURCES
  [make_seeds]="$CARD_SOURCES tests/components/cardimage/CardSamples.cpp src/components/recordtable/TableDefs.cpp"
)
declare -A LIBS=([where]="Qt6Sql libsodium sqlite3")
declare -A MAX_LEN=([cardimage]=4200 [cmdline]=1024 [where]=2048)
declare -A DICT=([readout]=$ROOT/tests/fuzz/readout.dict [registry]=$ROOT/tests/fuzz/registry.dict
  [textfile]=$ROOT/tests/fuzz/textfile.dict [where]=$OUT/seeds/where.dict)

build_only=""
selected=()
for arg in "$@"; do
  if [ "$arg" = --build-only ]; then
    build_only=1
  elif [[ " ${TARGETS[*]} " == *" $arg "* ]]; then
    selected+=("$arg")
  else
    echo "usage: $0 [--build-only] [${TARGETS[*]}]..." >&2
    exit 2
  fi
done
[ ${#selected[@]} -eq 0 ] && selected=("${TARGETS[@]}")

if ! command -v "$CXX" >/dev/null 2>&1; then
  echo "run-fuzz: $CXX not found; fuzzers skipped" >&2
  exit 77
fi

# Qt's headers require position-independent code.
read -r -a QT_CFLAGS <<<"$(pkg-config --cflags Qt6Core Qt6Sql libsodium)"
CXXFLAGS=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined
  -fno-sanitize-recover=undefined -I"$ROOT/src" -I"$ROOT/tests/components/cardimage" "${QT_CFLAGS[@]}")

# True when $1 is missing or older than any of the remaining files.
stale() {
  local target=$1 f
  shift
  [ -e "$target" ] || return 0
  for f in "$@"; do
    [ "$f" -nt "$target" ] && return 0
  done
  return 1
}

# Compiles when the source or a header it includes (from the compiler's dependency file) changed.
compile() {
  local src=$1 obj=$2 deps=()
  [ -e "$obj.d" ] && read -r -a deps <<<"$(sed -e 's/\\$//' -e 's/^[^:]*://' "$obj.d" | tr '\n' ' ')"
  if stale "$obj" "$ROOT/$src" "${deps[@]}"; then
    mkdir -p "$(dirname "$obj")"
    "$CXX" "${CXXFLAGS[@]}" -MMD -MF "$obj.d" -c "$ROOT/$src" -o "$obj"
  fi
}

object() {
  local src=$1
  echo "$OUT/obj/$(dirname "$src" | tr / _)_$(basename "${src%.cpp}").o"
}

# link <name> <binary> <main source> <fuzzer|fuzzer-no-link>
link() {
  local name=$1 binary=$2 main=$3 runtime=$4 objs=() src libs=()
  for src in $main ${SOURCES[$name]}; do
    compile "$src" "$(object "$src")"
    objs+=("$(object "$src")")
  done
  read -r -a libs <<<"$(pkg-config --libs Qt6Core ${LIBS[$name]:-})"
  if stale "$binary" "${objs[@]}"; then
    "$CXX" -fsanitize=$runtime,address,undefined "${objs[@]}" "${libs[@]}" -o "$binary"
  fi
}

build() {
  local t
  link make_seeds "$OUT/make_seeds" tests/fuzz/make_seeds.cpp fuzzer-no-link
  for t in "${TARGETS[@]}"; do
    link "$t" "$OUT/${t}_fuzz" "tests/fuzz/${t}_fuzz.cpp" fuzzer
  done
  rm -rf "$OUT/seeds"
  ASAN_OPTIONS=detect_leaks=0 "$OUT/make_seeds" "$OUT/seeds" "$ROOT"
}

declare -A EXECUTED RATE
run() {
  local t=$1 log=$OUT/$1.log extra=()
  [ -n "${DICT[$t]:-}" ] && extra+=(-dict="${DICT[$t]}")
  [ -n "$RUNS" ] && extra+=(-runs="$RUNS")
  mkdir -p "$OUT/corpus/$t" "$OUT/findings"
  local status=0
  local corpora=("$OUT/corpus/$t" "$OUT/seeds/$t")
  # Inputs that once found a fault stay in the corpus.
  [ -d "$ROOT/tests/fuzz/findings/$t" ] && corpora+=("$ROOT/tests/fuzz/findings/$t")
  "$OUT/${t}_fuzz" "${corpora[@]}" -max_total_time="$SECONDS_EACH" -max_len="${MAX_LEN[$t]:-8192}" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$OUT/findings/$t-" "${extra[@]}" \
    >"$log" 2>&1 || status=$?
  EXECUTED[$t]=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  RATE[$t]=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  if [ $status -ne 0 ]; then
    local unit
    unit=$(sed -n 's/.*Test unit written to //p' "$log" | tail -n 1)
    if [ -n "$unit" ] && [ -e "$unit" ]; then
      ASAN_OPTIONS=malloc_context_size=30 "$OUT/${t}_fuzz" "$unit" >"$log.again" 2>&1 || true
      tail -n 60 "$log.again"
    else
      tail -n 60 "$log"
    fi
    echo "run-fuzz: $t found a fault; the input is in $OUT/findings/" >&2
    return 1
  fi
  echo "run-fuzz: $t: ${EXECUTED[$t]:-?} inputs, corpus $(ls "$OUT/corpus/$t" | wc -l), no fault"
}

# Other compiler flags: everything is compiled again.
mkdir -p "$OUT/obj"
flags="$(readlink -f "$(command -v "$CXX")") ${CXXFLAGS[*]}"
if [ "$(cat "$OUT/obj/flags" 2>/dev/null || true)" != "$flags" ]; then
  [ -e "$OUT/obj/flags" ] && rm -f "$OUT"/obj/*.o
  echo "$flags" >"$OUT/obj/flags"
fi
build
[ -n "$build_only" ] && exit 0
status=0
for t in "${selected[@]}"; do
  run "$t" || status=1
done
echo "run-fuzz: inputs executed per target (limit ${SECONDS_EACH} s${RUNS:+ or $RUNS inputs} each)"
for t in "${selected[@]}"; do
  printf 'run-fuzz:   %-10s %12s inputs %8s inputs/s\n' "$t" "${EXECUTED[$t]:-?}" "${RATE[$t]:-?}"
done
exit $status
