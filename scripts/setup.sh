#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: packages already present are left alone.
set -euo pipefail
PKGS=(wine wine64 wine64-tools libwine-dev xvfb xauth x11-xserver-utils x11-utils cmake ninja-build ccache
      libsqlite3-dev zlib1g-dev libjpeg-dev libicu-dev fonts-wqy-microhei fonts-wine
      libgtest-dev libbenchmark-dev libpng-dev liblua5.4-dev g++ python3
      libzip-dev libpugixml-dev python3-openpyxl unrtf
      cups cups-client cups-bsd printer-driver-cups-pdf poppler-utils
      python3-reportlab)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi
