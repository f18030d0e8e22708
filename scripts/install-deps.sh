#!/bin/sh
# Installs the Debian packages the client, its tests and its tools need.
# Runs apt-get only when something is missing, so a second run costs nothing.
set -eu

PACKAGES="cmake g++ ninja-build pkg-config ccache
  qt6-base-dev libqt6opengl6-dev qt6-charts-dev libqt6sql6-sqlite
  libsqlite3-dev libarchive-dev libarchive-tools nettle-dev libssl-dev
  libxlsxwriter-dev libgsf-1-dev libshp-dev libgtest-dev libgmock-dev
  qt6-svg-dev qt6-translations-l10n libxkbcommon-dev
  xvfb xauth fonts-wqy-microhei zip unzip
  poppler-utils libreoffice-calc-nogui libreoffice-base-drivers
  python3-dbf python3-xlrd python3-openpyxl python3-olefile"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -n "$missing" ]; then
  echo "installing:$missing"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
