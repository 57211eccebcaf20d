#!/usr/bin/env bash
# The Windows installer, used as a site installer uses it, under Wine in the
# prefix $WINEPREFIX, which it makes afresh:
#   1. without POSDIR the installer refuses, and says what to give;
#   2. over a newer OstrelZOLTDLL.dll (file version 21) in a POS folder it
#      keeps that file; over an older one (19) it puts its own;
#   3. installed with POSDIR=C:\pos: the files of tests/kit/windows-msi.txt;
#   4. a station at C:\pos (settings file, data folder C:\ostrel-pins):
#      zolt status from the installed place, then zolt check-library and the
#      test program copied beside the POS program, as SITE-INSTALL.md says;
#   5. repaired (a document deleted comes back; the station's files stay
#      byte for byte);
#   6. removed: what is left must be tests/kit/windows-msi-removed.txt (the
#      settings file, the tables and PINTable.lck; nothing of the kit).
# What was installed where and what the removal left are written to
# WORK/installed.txt and WORK/removed.txt (shown in docs/release-kit.md).
# Usage: WINEPREFIX=DIR scripts/msi-check.sh KIT.msi WORK KIT_DLL
# (KIT_DLL: the kit's OstrelZOLTDLL.dll, as the zip has it.)
set -euo pipefail
cd "$(dirname "$0")/.."
msi=$1
work=$2
kit_dll=$3
: "${WINEPREFIX:?}"
export WINEPREFIX
rm -rf "$WINEPREFIX" "$WINEPREFIX.lock" "$WINEPREFIX.run.lock" "$work"
mkdir -p "$work"
c=$WINEPREFIX/drive_c
wine_run() { scripts/wine-run.sh "$@"; }
fail() {
  echo "release kit: FAIL: the installer: $*" >&2
  exit 1
}
year=$(date +%Y)
msi_win="Z:$(echo "$msi" | tr / '\\')"
# msiexec LOG ARGS...: its exit status, with its verbose log in WORK/LOG.
msiexec() {
  local log=$1
  shift
  wine_run msiexec "$@" /qn /l*v "Z:$(echo "$work/$log" | tr / '\\')" >/dev/null 2>&1
}
# listing: every file under Program Files\OstrelZOLT, the POS folders and
# the data folder, relative to C:.
listing() {
  local dir
  (cd "$c" && for dir in "Program Files/OstrelZOLT" pos ostrel-pins; do
    if [ -d "$dir" ]; then find "$dir" -type f; fi
  done | sort)
}

wine_run cmd /c exit >/dev/null 2>&1 || fail "cannot make the Wine prefix $WINEPREFIX"

# 1. No POSDIR.
if msiexec refused.log /i "$msi_win"; then fail "installed without POSDIR"; fi
# Windows shows the launch condition's text (Wine's msiexec /qn logs only
# that it failed): it must tell the installer what to give.
msiinfo export "$msi" LaunchCondition | grep -q '^Installed OR POSDIR.Name the folder of the point-of-sale program' ||
  fail "no launch condition that asks for POSDIR"
[ ! -e "$c/Program Files/OstrelZOLT" ] || fail "a refused install left files"
echo "ok   without POSDIR: refused, 'Name the folder of the point-of-sale program ... POSDIR=...'"

# 2. A newer and an older library already in a POS folder. The stand-ins
# are empty DLLs with a version resource.
versioned_dll() {
  local out=$1 v=$2
  printf '1 VERSIONINFO\nFILEVERSION %s,0,0,0\nPRODUCTVERSION %s,0,0,0\nBEGIN\nBLOCK "StringFileInfo"\nBEGIN\nBLOCK "040904E4"\nBEGIN\nVALUE "FileVersion", "%s.0.0.0"\nEND\nEND\nBLOCK "VarFileInfo"\nBEGIN\nVALUE "Translation", 0x409, 1252\nEND\nEND\n' \
    "$v" "$v" "$v" >"$work/v$v.rc"
  i686-w64-mingw32-windres "$work/v$v.rc" -O coff -o "$work/v$v.o"
  echo 'int zolt_stand_in;' >"$work/stand_in.c"
  i686-w64-mingw32-gcc -shared "$work/stand_in.c" "$work/v$v.o" -o "$out"
}
mkdir -p "$c/pos-newer"
versioned_dll "$c/pos-newer/OstrelZOLTDLL.dll" 21
cp "$c/pos-newer/OstrelZOLTDLL.dll" "$work/newer.dll"
msiexec newer.log /i "$msi_win" 'POSDIR=C:\pos-newer' || fail "install over a newer DLL failed (log: $work/newer.log)"
cmp -s "$c/pos-newer/OstrelZOLTDLL.dll" "$work/newer.dll" || fail "the installer replaced a newer OstrelZOLTDLL.dll"
msiexec newer-removed.log /x "$msi_win" || fail "removal failed (log: $work/newer-removed.log)"
if [ -f "$c/pos-newer/OstrelZOLTDLL.dll" ]; then newer_after="kept"; else newer_after="removed"; fi
echo "ok   a newer OstrelZOLTDLL.dll (21.0.0.0) in the POS folder: kept at install; at removal: $newer_after"
echo "$newer_after" >"$work/newer-after-removal.txt"
mkdir -p "$c/pos"
versioned_dll "$c/pos/OstrelZOLTDLL.dll" 19

# 3. The install.
msiexec install.log /i "$msi_win" 'POSDIR=C:\pos' || fail "install failed (log: $work/install.log)"
cmp -s "$c/pos/OstrelZOLTDLL.dll" "$kit_dll" || fail "C:\\pos\\OstrelZOLTDLL.dll is not the kit's library"
listing >"$work/installed.txt"
grep -v '^#' tests/kit/windows-msi.txt | sort | diff -u - "$work/installed.txt" ||
  fail "the installed files differ from tests/kit/windows-msi.txt"
echo "ok   installed with POSDIR=C:\\pos: $(wc -l <"$work/installed.txt") files; the older DLL (19.0.0.0) replaced"

# 4. A station at C:\pos, checked as SITE-INSTALL.md says.
mkdir -p "$c/ostrel-pins"
printf '[Preferences]\r\nVendor=190\r\nLocation=1\r\nSeason=1\r\nPINcrypt=7\r\nPINExpiry=0\r\nPathtopintable=C:\\ostrel-pins\r\n' \
  >"$c/pos/OstrelZOLTDLL.dta"
# Exit status 1 when an answer is a code: -111 outside the library's years.
rc=0
wine_run 'C:\Program Files\OstrelZOLT\zolt.exe' status --station 'C:\pos' >"$work/status.log" 2>&1 || rc=$?
grep -q '^  checks of ZoltResult: .*all pass' "$work/status.log" && [ "$rc" -le 1 ] ||
  { cat "$work/status.log" >&2; fail "zolt status from the installed place"; }
cp "$c/Program Files/OstrelZOLT/ZOLTDLLTestAPP.exe" "$c/pos/"
wine_run 'C:\Program Files\OstrelZOLT\zolt.exe' check-library --station 'C:\pos' \
  >"$work/check-library.log" 2>&1 ||
  { cat "$work/check-library.log" >&2; fail "zolt check-library at C:\\pos"; }
grep -q '^Version   20\.0\.0\.0' "$work/check-library.log" || fail "check-library does not show version 20.0.0.0"
xvfb-run -a -s "-screen 0 1024x768x24" scripts/wine-run.sh 'C:\pos\ZOLTDLLTestAPP.exe' \
  '--smoke-test=C:\pos\window.bmp' >"$work/testapp.log" 2>&1 || true
testapp_log=$c/pos/window.bmp.log
[ -f "$testapp_log" ] || fail "the test program did not run (log: $work/testapp.log)"
if [ "$year" -ge 2001 ] && [ "$year" -le 2015 ]; then
  grep -q '^smoke test: a PIN shows' "$testapp_log" || fail "the test program shows no PIN"
else
  grep -q 'Year out of bounds. Must be 2001-2015' "$testapp_log" || fail "the test program does not show -111"
fi
cp "$testapp_log" "$work/testapp-window.log"
rm -f "$c/pos/zolt.exe" "$c/pos/ZOLTDLLTestAPP.exe" "$c/pos/window.bmp" "$testapp_log"
echo "ok   zolt status (installed), zolt check-library and ZOLTDLLTestAPP at C:\\pos: version $(sed -n 's/^Version *//p' "$work/check-library.log")"
station_files() { (cd "$c" && find pos ostrel-pins -type f ! -name OstrelZOLTDLL.dll -print0 | sort -z | xargs -0 sha256sum); }
station_before=$(station_files)

# 5. Repair.
rm "$c/Program Files/OstrelZOLT/README.txt"
# (msiexec /fomus kit.msi on Windows; Wine's msiexec takes /f only with a
# product code it does not implement, so the same repair is asked for as
# Windows Installer defines it.)
msiexec repair.log /i "$msi_win" REINSTALL=ALL REINSTALLMODE=omus || fail "repair failed (log: $work/repair.log)"
[ -f "$c/Program Files/OstrelZOLT/README.txt" ] || fail "repair did not bring back README.txt"
[ "$(station_files)" = "$station_before" ] || fail "repair changed the station's settings or tables"
echo "ok   repaired: a deleted document is back; settings file and tables unchanged"

# 6. Removal.
msiexec remove.log /x "$msi_win" || fail "removal failed (log: $work/remove.log)"
listing >"$work/removed.txt"
grep -v '^#' tests/kit/windows-msi-removed.txt | sort | diff -u - "$work/removed.txt" ||
  fail "what the removal left differs from tests/kit/windows-msi-removed.txt"
[ "$(station_files)" = "$station_before" ] || fail "removal changed the station's settings or tables"
[ ! -d "$c/Program Files/OstrelZOLT" ] || fail "removal left the folder Program Files\\OstrelZOLT"
echo "ok   removed: left $(tr '\n' ' ' <"$work/removed.txt")"
