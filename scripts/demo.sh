#!/usr/bin/env bash
# The main job: installs what is missing, builds the native Linux build and
# sells baskets at a demo site through the library's exported functions.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/bootstrap.sh
cmake --preset linux >/dev/null
cmake --build --preset linux --target zolt_demo
exec ./build/linux/demo/zolt_demo "$@"
