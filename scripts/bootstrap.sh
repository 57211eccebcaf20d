#!/usr/bin/env bash
# Installs every Debian package that the build, the demo and the tests need.
# Safe to run again: it only installs what is missing. Needs root (or sudo).
set -euo pipefail

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

packages=(
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev
  wine wine32:i386 fonts-wine
  xvfb xauth x11-apps imagemagick
  qt6-base-dev libgl-dev
  fonts-liberation2
  clang libclang-rt-14-dev
  llvm lld help2man lintian unzip file
  libcli11-dev nlohmann-json3-dev
  wixl msitools
  mono-mcs mono-runtime fp-compiler
  faketime e2fsprogs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "bootstrap: every package is installed"
  exit 0
fi

echo "bootstrap: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
