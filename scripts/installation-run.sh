#!/usr/bin/env bash
# Starts the built program on a scratch installation, once per case of the installation checks,
# and prints the start-up log lines of each case (docs/installation.md). Needs Xvfb and xdotool;
# the update cases need OSTRELLE_TEST_PG (a PostgreSQL server on which the database "ostrelle"
# may be created for the run: a remote server's database has that name).
#   scripts/installation-run.sh [build/ci/bin] [display number]
set -uo pipefail
# Other clients of this computer (other users' demos) must not count: a /dev/shm of our own.
if [ -z "${OSTRELLE_SCRATCH_NS:-}" ]; then
  exec env OSTRELLE_SCRATCH_NS=1 unshare -rm sh -c 'mount -t tmpfs tmpfs /dev/shm && exec "$0" "$@"' "$0" "$@"
fi
BIN=$(cd "${1:-build/ci/bin}" && pwd)
export DISPLAY=:${2:-67}
T=$(mktemp -d /tmp/ostrelle-install.XXXXXX)
C=$T/client
export OSTRELLE_HKCU=$T/hkcu.reg OSTRELLE_HKLM=$T/hklm.reg OSTRELLE_DEVICE_DIR=$T/devices XDG_RUNTIME_DIR=$T/xdg
mkdir -m 700 "$T/xdg" "$C"

Xvfb "$DISPLAY" -screen 0 1280x1024x24 -dpi 96 >/dev/null 2>&1 &
XVFB=$!
PG_CREATED=
cleanup() {
  kill "$XVFB" 2>/dev/null
  [ -n "$PG_CREATED" ] && psql "$OSTRELLE_TEST_PG" -qc 'DROP DATABASE IF EXISTS ostrelle WITH (FORCE)' >/dev/null
  rm -rf "$T"
}
trap cleanup EXIT
sleep 1

install_client() { # folder version
  mkdir -p "$1"
  cp "$BIN"/{ostrelle,libctexts.so,ostrelle-db,ostrelle-encoder,ostrelle-regsvr,quiet.sh} "$1"/
  for f in ostrelle libctexts.so ostrelle-db ostrelle-encoder; do "$BIN/ostrelle-db" file-version "$1/$f" "$2"; done
}
install_client "$C" 1.14.0.0
"$BIN/ostrelle-db" create "sqlite:$T/hotel.db" >/dev/null
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Veltrix\\Ostrelle\\Settings]\r\n"ODBC Source"="sqlite:%s"\r\n' \
  "$T/hotel.db" >"$OSTRELLE_HKLM"

# Waits until the log shows the start's end or its question, then answers or ends the program.
wait_log() { # pid
  for _ in $(seq 1 120); do
    sleep 0.5
    # The question stands while "Required version" is the log's last line.
    if [ "$(tr -d '\r' 2>/dev/null <"$C/startup.log" | tail -1 | cut -c1-16)" = "Required version" ]; then
      sleep 1.5; xdotool key Return; sleep 1 # -32502: the first button updates
    fi
    # Kept at once: after an update the restarted client writes a new log.
    grep -qsE 'FAILED|Prompt Logon|Closing log file' "$C/startup.log" && cp "$C/startup.log" "$T/last.log" && break
  done
  sleep 0.5
  kill -KILL "$1" 2>/dev/null; wait "$1" 2>/dev/null # unshare --fork ignores SIGTERM
}
show() { # title
  echo "== $1"
  tr -d '\r' <"$T/last.log" | sed -n '/^Check if components/,/^Check fontsize/p;/^Validate/p;/^Check if client/,$p' |
    grep -v '^Check fontsize'
}
start() { # title, program arguments
  local title=$1; shift
  rm -f "$C/startup.log"
  "$C/ostrelle" "$@" >/dev/null 2>&1 &
  wait_log $!
  show "$title"
}
clsid_dir() { grep -A1 'A02}\\LocalServer32' "$OSTRELLE_HKLM" | tail -1; }

start "unregistered components are registered and checked again"
echo "   registered: $(clsid_dir)"
move_encoder() { sed -i "s|@=\"$1/ostrelle-encoder\"|@=\"$2/ostrelle-encoder\"|" "$OSTRELLE_HKLM"; }
move_encoder "$C" /opt/elsewhere
start "a component registered in another folder is registered again" /U
echo "   registered: $(clsid_dir)"
move_encoder "$C" "${C^^}"
start "the program folder in another letter case counts as registered" /U
sed -i 's/A02}\\LocalServer32\]/A02}\\Removed]/' "$OSTRELLE_HKLM" # ostrelle-encoder unregistered
cp /bin/sleep "$T/ostrelle-starter"
rm -f "$C/startup.log"
# The starter service runs (in a process namespace of its own: nobody else's start sees it).
unshare -rpf --kill-child --mount-proc sh -c "'$T/ostrelle-starter' 60 & exec '$C/ostrelle' /U" >/dev/null 2>&1 &
wait_log $!
show "the starter service owns registration"
"$BIN/ostrelle-db" file-version "$C/ostrelle-encoder" 1.15.0.0
start "an exact-version component newer than required" /U
"$BIN/ostrelle-db" file-version "$C/ostrelle-encoder" 1.14.0.0

if [ -z "${OSTRELLE_TEST_PG:-}" ]; then
  echo "== update cases skipped: OSTRELLE_TEST_PG is not set"
  exit 0
fi
psql "$OSTRELLE_TEST_PG" -qc 'CREATE DATABASE ostrelle' >/dev/null || exit 1
PG_CREATED=1
PG=$(printf '%s' "$OSTRELLE_TEST_PG" | sed 's|/[^/]*$|/ostrelle|')
"$BIN/ostrelle-db" create "$PG" >/dev/null
# A remote server "DBHOST" that is the PostgreSQL server of the run.
eval "$(printf '%s' "$OSTRELLE_TEST_PG" | sed -E 's|^postgresql://([^@]*)@([^:/]*):([0-9]*)/.*$|export PGUSER=\1 PGHOSTADDR=\2 PGPORT=\3|')"

"$BIN/ostrelle-db" publish-client "$PG" "$C" --version "2.3.12 beta 4" >/dev/null
for f in ostrelle libctexts.so ostrelle-db ostrelle-encoder; do "$BIN/ostrelle-db" file-version "$C/$f" 2.3.12.0; done
start "a 2.3.12 client, the server requires 2.3.12 beta 4" /NDBHOST /S
"$BIN/ostrelle-db" publish-client "$PG" "$C" --version "2.3.12" >/dev/null
start "a 2.3.12 client, the server requires 2.3.12" /NDBHOST /S

install_client "$T/published" 1.14.0.0
"$BIN/ostrelle-db" publish-client "$PG" "$T/published"
for f in ostrelle libctexts.so ostrelle-db ostrelle-encoder; do "$BIN/ostrelle-db" file-version "$C/$f" 1.13.0.0; done
rm -f "$C/startup.log"
"$C/ostrelle" /NDBHOST >/dev/null 2>&1 &
wait_log $!
show "an older client (1.13.0) and a published 1.14.0"
# The install script has run; the program starts again by itself once the old one has ended.
for _ in $(seq 1 60); do
  sleep 0.5
  grep -qs 'Prompt Logon' "$C/startup.log" && tr -d '\r' <"$C/startup.log" | grep -q 'Required version' &&
    cp "$C/startup.log" "$T/last.log" && break
done
echo "   client file now: $("$BIN/ostrelle-db" file-version "$C/ostrelle")"
show "the restarted client"
# End the restarted program: the one process whose file is this run's client.
for exe in /proc/[0-9]*/exe; do
  [ "$(readlink "$exe" 2>/dev/null)" = "$C/ostrelle" ] && kill "$(basename "$(dirname "$exe")")"
done
