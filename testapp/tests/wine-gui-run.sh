#!/usr/bin/env bash
# Runs a Windows GUI program under 32-bit Wine for a smoke test: in a Wine
# prefix of its own, on a Wine virtual desktop (which draws the window
# frames itself, so the picture shows the title bar even without a window
# manager on the X display), one run at a time. The prefix's wineserver is
# stopped afterwards, so the next run starts on its own display.
set -u
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEPREFIX=${ZOLT_GUI_WINEPREFIX:-$HOME/.wine-zolt-gui}
export WINEARCH=win32

mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock -w 600 9 || { echo "wine-gui-run: prefix busy" >&2; exit 3; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
# Wine's own faces (MS Sans Serif, Marlett for the caption buttons), which
# this Wine build does not find in its data folder by itself.
if [ -d /usr/share/wine/fonts ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/sserife.fon" ]; then
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Smoke /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Smoke /d 800x600 /f >/dev/null 2>&1

wine "$@"
rc=$?
wineserver -k >/dev/null 2>&1 || true
exit $rc
