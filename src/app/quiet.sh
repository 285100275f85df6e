#!/bin/sh
# quiet.sh <program folder>: installs the client update that start-up copied to <folder>/SETUP/.
# Each file of SETUP/Setup.lst is copied beside its old version and renamed over it, so a program
# that still runs keeps its old file open and the next start gets the new one. Nothing is shown.
set -eu
dir=${1%/}
setup="$dir/SETUP"
[ -f "$setup/Setup.lst" ] || { echo "quiet.sh: no $setup/Setup.lst" >&2; exit 1; }
tr -d '\r' <"$setup/Setup.lst" | while IFS= read -r name || [ -n "$name" ]; do
  [ -n "$name" ] || continue
  case $name in
    */* | . | ..) echo "quiet.sh: refusing '$name'" >&2; exit 1 ;;
  esac
  cp -p "$setup/$name" "$dir/.$name.new"
  mv -f "$dir/.$name.new" "$dir/$name"
done
