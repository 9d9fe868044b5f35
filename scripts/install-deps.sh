#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Does nothing when all of them are present; runs apt-get update only when one is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6sql6-psql libqt6sql6-sqlite qt6-serialport-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  postgresql-15 postgresql-client-15
  sqlite3 libsqlite3-dev libpq-dev
  fonts-wqy-zenhei xvfb xauth
  poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = "installed" ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
