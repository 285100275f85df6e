#!/usr/bin/env bash
# Runs the PMS interface service in the foreground on the demo installation that run-demo.sh made;
# Ctrl-C ends the links with LE. The demo's PMS device listens on 127.0.0.1:5010.
set -euo pipefail
BIN=$(cd "${1:-build/ci/bin}" && pwd)
[ $# -gt 0 ] && shift
DEMO=${OSTRELLE_DEMO_DIR:-$HOME/.local/share/ostrelle/demo}
if [ ! -f "$DEMO/demo.db" ]; then
  echo "No demo installation in $DEMO: start scripts/run-demo.sh (make run) once first." >&2
  exit 1
fi
export OSTRELLE_HKCU="$DEMO/hkcu.reg"
export OSTRELLE_HKLM="$DEMO/hklm.reg"
export OSTRELLE_DEVICE_DIR="$DEMO/devices"
echo "PMS interface log: $DEMO/ostrelle-pms.log"
# The service works as the front desk; its password is the demo's.
exec "$BIN/ostrelle-pms" "sqlite:$DEMO/demo.db" --user FRONTDESK --log "$DEMO/ostrelle-pms.log" "$@" <<<"frontdesk-demo"
