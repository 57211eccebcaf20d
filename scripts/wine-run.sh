#!/usr/bin/env bash
# Runs a Windows program under 32-bit Wine, quietly and without first-run prompts.
# Used by ctest for the cross-built tests (CMAKE_CROSSCOMPILING_EMULATOR).
#
# Tests run in parallel (ctest -j2) and share one Wine prefix, so two races
# are kept out here:
#  - The prefix is made on first use. Creation happens once, under an
#    exclusive lock on a file beside the prefix; a marker file inside the
#    prefix tells later runs that it is complete.
#  - All programs of a prefix share one wineserver, and the first program
#    that opens a window ties the prefix's desktop to its X display. Programs
#    run under a display (the window smoke tests, each under its own Xvfb)
#    therefore run one at a time and alone: they take an exclusive lock, wait
#    for the server left by earlier programs to end, and wait again for their
#    own server to end before letting go. Programs without a display take the
#    same lock shared and run side by side.
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

# The lock stays with this script, not with Wine's own processes (8>&-), so
# that a lingering wineserver never holds it.
exec 8>"$WINEPREFIX.run.lock"
if [ -n "${DISPLAY:-}" ]; then
  flock -x 8
  wineserver -w || true
  wine "$@" 8>&-
  rc=$?
  wineserver -w || true
else
  flock -s 8
  wine "$@" 8>&-
  rc=$?
fi
exit $rc
