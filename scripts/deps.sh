#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
set -euo pipefail
pkgs=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-declarative-dev qt6-tools-dev
  libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc libqt6svg6
  unixodbc-dev tdsodbc odbc-postgresql libsqlite3-dev
  libfontconfig-dev libqscintilla2-qt6-dev libxlsxwriter-dev libcurl4-openssl-dev libshp-dev pxlib-dev libzint-dev
  poppler-utils fonts-liberation2 fonts-dejavu
  postgresql python3 python3-openpyxl xvfb xdg-utils openbox xdotool imagemagick qt6-translations-l10n
  python3-reportlab python3-xlsxwriter
)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
