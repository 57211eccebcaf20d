#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine, quietly and without first-run prompts.
# Used by ctest for the cross-built tests (CMAKE_CROSSCOMPILING_EMULATOR).
#
# The Wine prefix is made on first use. Tests run in parallel (ctest -j2), so
# the first runs would race to create it: creation happens once, under an
# exclusive lock on a file beside the prefix, and a marker file inside the
# prefix tells later runs that it is complete.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-zolt}
export WINEARCH=win32

ready="$WINEPREFIX/.zolt-prefix-ready"
if [ ! -f "$ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  exec 9>"$WINEPREFIX.lock"
  flock 9
  if [ ! -f "$ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    if [ -f "$WINEPREFIX/system.reg" ]; then
      touch "$ready"
    else
      echo "wine-run.sh: could not create the Wine prefix $WINEPREFIX" >&2
      exit 1
    fi
  fi
  flock -u 9
  exec 9>&-
fi
exec wine "$@"
