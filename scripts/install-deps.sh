#!/usr/bin/env bash
# Installs every Debian package Vorkalo needs to build, test and run.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6opengl6-dev
  libgl-dev
  libpolyclipping-dev libgsf-1-dev libsqlite3-dev libdxflib-dev qt6-svg-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  qt6-translations-l10n
  xvfb x11-apps imagemagick fonts-dejavu-core
  # Independent readers the tests check exported PDF and DXF files with.
  poppler-utils python3-ezdxf python3-shapely
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
