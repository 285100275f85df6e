#!/usr/bin/env bash
# Starts the workstation on the demo installation under ~/.local/share/ostrelle/demo,
# creating it on the first start: registry hives and, once the database tool is built, a
# SQLite demo hotel.
set -euo pipefail
BIN=$(cd "${1:-build/ci/bin}" && pwd)
[ $# -gt 0 ] && shift
DEMO=${OSTRELLE_DEMO_DIR:-$HOME/.local/share/ostrelle/demo}
mkdir -p "$DEMO"

export OSTRELLE_HKCU="$DEMO/hkcu.reg"
export OSTRELLE_HKLM="$DEMO/hklm.reg"
# The virtual encoder and handheld unit keep their folders here (ostrelle-encoder works on them).
export OSTRELLE_DEVICE_DIR="$DEMO/devices"

if [ ! -f "$OSTRELLE_HKLM" ]; then
  # The machine hive names the demo database; everything else the workstation writes itself.
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Veltrix\\Ostrelle\\Settings]\r\n"ODBC Source"="sqlite:%s"\r\n' \
    "$(printf '%s' "$DEMO/demo.db" | sed 's/\\/\\\\/g; s/"/\\"/g')" >"$OSTRELLE_HKLM"
fi
if ! grep -qs '"nMCEncoder"' "$OSTRELLE_HKLM" "$OSTRELLE_HKCU"; then
  # The demo hotel's devices: encoder 1 and handheld unit 2, so a card can be made at once.
  printf '\r\n[HKEY_LOCAL_MACHINE\\Software\\Veltrix\\Ostrelle\\Settings]\r\n"nMCEncoder"=dword:00000001\r\n"nHCU"=dword:00000002\r\n' >>"$OSTRELLE_HKLM"
fi
if [ ! -f "$DEMO/demo.db" ]; then
  "$BIN/ostrelle-db" demo "sqlite:$DEMO/demo.db" | tee "$DEMO/demo-passwords.txt"
else
  # A demo hotel made by an older build is brought to this build's schema.
  "$BIN/ostrelle-db" upgrade "sqlite:$DEMO/demo.db" >/dev/null
fi

echo "Demo installation: $DEMO"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting on a virtual screen (xvfb-run)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -dpi 96" "$BIN/ostrelle" "$@"
fi
exec "$BIN/ostrelle" "$@"
