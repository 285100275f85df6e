#!/usr/bin/env bash
# Builds the card-image, read-out and room-file fuzzers with clang (libFuzzer, address and undefined-behaviour
# sanitizers) and runs each for a while from a seed corpus of valid images and read-outs.
#   scripts/run-fuzz.sh              build if needed, then run every target
#   scripts/run-fuzz.sh --build-only build if needed
#   scripts/run-fuzz.sh cardimage    run one target (cardimage, readout, roomfile)
# OSTRELLE_FUZZ_SECONDS  seconds per target (default 20)
# OSTRELLE_FUZZ_DIR      where binaries, corpus and findings go (default build/fuzz)
# OSTRELLE_FUZZ_CXX      the clang++ to use (default clang++)
# Exit status 77 means clang or its fuzzer runtime is missing (CTest reports a skip).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SECONDS_EACH=${OSTRELLE_FUZZ_SECONDS:-20}
OUT=${OSTRELLE_FUZZ_DIR:-$ROOT/build/fuzz}
CXX=${OSTRELLE_FUZZ_CXX:-clang++}
TARGETS=(cardimage readout roomfile)

build_only=""
selected=()
for arg in "$@"; do
  case $arg in
    --build-only) build_only=1 ;;
    cardimage|readout|roomfile) selected+=("$arg") ;;
    *) echo "usage: $0 [--build-only] [cardimage|readout|roomfile]..." >&2; exit 2 ;;
  esac
done
[ ${#selected[@]} -eq 0 ] && selected=("${TARGETS[@]}")

if ! command -v "$CXX" >/dev/null 2>&1; then
  echo "run-fuzz: $CXX not found; fuzzers skipped" >&2
  exit 77
fi

LIB_SOURCES=(
  src/components/cardserver/CardFormatStatus.cpp
  src/components/cardserver/CardImage.cpp
  src/components/cardserver/CardImageCodec.cpp
  src/components/cardserver/Crc32.cpp
  src/components/cardserver/Readout.cpp
  src/components/cardserver/RegistrationNumber.cpp
  src/cards/RoomOverrides.cpp
  tests/components/cardimage/CardSamples.cpp
)
read -r -a QT_CFLAGS <<<"$(pkg-config --cflags Qt6Core)"
read -r -a QT_LIBS <<<"$(pkg-config --libs Qt6Core)"
# Qt's headers require position-independent code.
CXXFLAGS=(-std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined
  -fno-sanitize-recover=undefined -I"$ROOT/src" -I"$ROOT/tests/components/cardimage" "${QT_CFLAGS[@]}")
HEADERS=("$ROOT"/src/components/cardserver/*.h "$ROOT"/src/cards/RoomOverrides.h "$ROOT"/tests/components/cardimage/*.h "$0")

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

compile() {
  local src=$1 obj=$2
  if stale "$obj" "$ROOT/$src" "${HEADERS[@]}"; then
    mkdir -p "$(dirname "$obj")"
    "$CXX" "${CXXFLAGS[@]}" -c "$ROOT/$src" -o "$obj"
  fi
}

build() {
  local objs=() src obj
  for src in "${LIB_SOURCES[@]}"; do
    obj=$OUT/obj/$(basename "${src%.cpp}").o
    compile "$src" "$obj"
    objs+=("$obj")
  done
  compile tests/fuzz/make_seeds.cpp "$OUT/obj/make_seeds.o"
  if stale "$OUT/make_seeds" "${objs[@]}" "$OUT/obj/make_seeds.o"; then
    "$CXX" -fsanitize=fuzzer-no-link,address,undefined "$OUT/obj/make_seeds.o" "${objs[@]}" "${QT_LIBS[@]}" \
      -o "$OUT/make_seeds"
  fi
  local t
  for t in "${TARGETS[@]}"; do
    compile "tests/fuzz/${t}_fuzz.cpp" "$OUT/obj/${t}_fuzz.o"
    if stale "$OUT/${t}_fuzz" "${objs[@]}" "$OUT/obj/${t}_fuzz.o"; then
      "$CXX" -fsanitize=fuzzer,address,undefined "$OUT/obj/${t}_fuzz.o" "${objs[@]}" "${QT_LIBS[@]}" \
        -o "$OUT/${t}_fuzz"
    fi
  done
  rm -rf "$OUT/seeds"
  ASAN_OPTIONS=detect_leaks=0 "$OUT/make_seeds" "$OUT/seeds"
}

run() {
  local t=$1 log=$OUT/$1.log max_len=8192 extra=()
  [ "$t" = cardimage ] && max_len=4200
  [ "$t" = readout ] && extra=(-dict="$ROOT/tests/fuzz/readout.dict")
  mkdir -p "$OUT/corpus/$t" "$OUT/findings"
  if ! "$OUT/${t}_fuzz" "$OUT/corpus/$t" "$OUT/seeds/$t" -max_total_time="$SECONDS_EACH" -max_len="$max_len" \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$OUT/findings/$t-" "${extra[@]}" \
      >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "run-fuzz: $t found a fault; the input is in $OUT/findings/" >&2
    return 1
  fi
  local runs corpus
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  corpus=$(ls "$OUT/corpus/$t" | wc -l)
  echo "run-fuzz: $t: ${runs:-?} inputs in ${SECONDS_EACH} s, corpus $corpus, no fault"
}

mkdir -p "$OUT"
build
[ -n "$build_only" ] && exit 0
status=0
for t in "${selected[@]}"; do
  run "$t" || status=1
done
exit $status
