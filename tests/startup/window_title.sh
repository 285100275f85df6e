#!/usr/bin/env bash
# Starts the program with "/?" on the X display it is given and reads the title of its help box
# as the X server holds it: exactly the expected title, nothing appended by the toolkit.
# Usage: window_title.sh <program> <expected title>   (run under xvfb-run)
set -euo pipefail
program=$1
expected=$2

work=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# Settings and a runtime folder of its own: none of the user's are read or written. (The start-up
# log goes beside the program, as always.)
mkdir -m 700 "$work/run"
export OSTRELLE_HKCU=$work/hkcu.reg OSTRELLE_HKLM=$work/hklm.reg XDG_RUNTIME_DIR=$work/run
export HOME=$work QT_QPA_PLATFORM=xcb

"$program" '/?' >"$work/out.txt" 2>&1 &
pid=$!

for _ in $(seq 150); do
  for id in $(xwininfo -root -children 2>/dev/null | sed -n 's/^ *\(0x[0-9a-f]*\) .*("ostrelle".*/\1/p'); do
    title=$(xprop -id "$id" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p')
    mapped=$(xwininfo -id "$id" 2>/dev/null | sed -n 's/^ *Map State: //p')
    if [ -n "$title" ] && [ "$mapped" = IsViewable ]; then
      if [ "$title" = "$expected" ]; then
        echo "window title: '$title'"
        exit 0
      fi
      echo "window title is '$title', expected '$expected'" >&2
      exit 1
    fi
  done
  kill -0 "$pid" 2>/dev/null || { echo "the program ended without a window:" >&2; cat "$work/out.txt" >&2; exit 1; }
  sleep 0.1
done
echo "no window of the program appeared" >&2
exit 1
