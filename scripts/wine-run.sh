#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine, quietly and without first-run prompts.
# Used by ctest for the cross-built tests (CMAKE_CROSSCOMPILING_EMULATOR).
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-zolt}
export WINEARCH=win32
if [ ! -d "$WINEPREFIX" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
exec wine "$@"
