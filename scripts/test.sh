#!/usr/bin/env bash
# Every test: installs what is missing, then builds and tests the native Linux
# build, the 32-bit Windows build (its tests under Wine) and the sanitizer
# build, then fuzzes briefly. Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh

run_preset() {
  echo "=== $1: configure, build, test"
  cmake --preset "$1"
  cmake --build --preset "$1"
  ctest --preset "$1"
}

run_preset linux
run_preset windows
echo "=== the profile engine against the platform's own INI functions, live under Wine,"
echo "=== and a mixed site: Linux and Windows (Wine) stations on one data folder"
ZOLT_WIN_BUILD_DIR="$PWD/build/windows" \
  ctest --preset linux -R "profile_diff_wine|zolt_simulate_mixed_wine"
./scripts/release-check.sh  # the packages, built clean and used as their users use them
run_preset sanitize
# The fuzz targets, a short run with a fixed seed (scripts/fuzz.sh 600 for a
# long one).
./scripts/fuzz.sh 30
echo "=== all tests passed"
