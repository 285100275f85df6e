#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the demo and the screenshots need.
# Does nothing when all of them are present already.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  libgl-dev libvulkan-dev libxkbcommon-dev
  libsodium-dev libpq-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  sqlite3 postgresql postgresql-client
  unixodbc odbc-postgresql
  xvfb xauth x11-utils xdotool imagemagick poppler-utils fonts-dejavu-core netcat-openbsd
  binutils-mingw-w64-x86-64
  clang-format clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
