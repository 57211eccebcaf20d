#!/usr/bin/env bash
# The release kit, used as its users use it. Builds the Windows zip and the
# Linux .deb and .tar.gz from clean build folders, unpacks each into a fresh
# folder, and then:
#   - compares each package's files with tests/kit/*.txt;
#   - Linux: checks the SONAME and the exports, builds examples/pos_example.c
#     against the unpacked kit with pkg-config and with a find_package
#     project, and by name with dlopen, and runs each at a station folder;
#     installs the .deb (dpkg -i), runs the example against the installed
#     library, removes it (dpkg -r); lintian must report no error;
#   - Windows: checks that the zip's binaries import only system DLLs and
#     the DLL's exports, links the example with mingw against
#     libOstrelZOLTDLL.dll.a (and builds it loading by name) and runs both
#     under Wine beside the zip's DLL; checks that OstrelZOLTDLL.lib maps the
#     decorated names to the plain exports, links a program against it with
#     lld-link and runs that too.
# At a station the example issues a PIN only while the date is in 2001 to
# 2015 (the library's years); at any other date ZoltResult answers -111
# after a positive sold-out query, and that is what is checked for.
# Needs root (or sudo) for dpkg; purges the package at the end. Called by scripts/test.sh; takes a few
# minutes, most of them for the two builds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/release-check
version=20.0.0

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi

step() { echo "=== release kit: $*"; }
fail() {
  echo "release kit: FAIL: $*" >&2
  exit 1
}
# run LOG COMMAND...: runs the command with its output in $work/LOG, shown
# when it fails.
run() {
  local log=$work/$1
  shift
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    fail "$* (log: $log)"
  fi
}

# zolt is part of the kit once its folder cli/ is in the tree; until then
# its files are not expected.
with_zolt=0
if [ -f cli/CMakeLists.txt ]; then with_zolt=1; fi

installed=0
cleanup() {
  if [ "$installed" = 1 ]; then $SUDO dpkg -P ostrelzoltdll >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT

rm -rf "$work"
mkdir -p "$work"

step "packages from clean build folders"
for preset in linux windows; do
  run "configure-$preset.log" cmake --preset "$preset" -B "$work/build-$preset" \
    -DZOLT_BUILD_TESTS=OFF -DZOLT_BUILD_BENCH=OFF
  run "package-$preset.log" cmake --build "$work/build-$preset" -j2 --target package
done
deb=$work/build-linux/packages/ostrelzoltdll_${version}_$(dpkg --print-architecture).deb
tgz=$work/build-linux/packages/OstrelZOLTDLL-$version-Linux.tar.gz
zip=$work/build-windows/packages/OstrelZOLTDLL-$version-win32.zip
for package in "$deb" "$tgz" "$zip"; do
  [ -f "$package" ] || fail "no package $package"
done

mkdir -p "$work/deb" "$work/tgz" "$work/zip" "$work/stations"
dpkg-deb -x "$deb" "$work/deb"
tar -xzf "$tgz" -C "$work/tgz"
unzip -q "$zip" -d "$work/zip"
deb_kit=$work/deb/usr
tgz_kit=$work/tgz/OstrelZOLTDLL-$version-Linux
zip_kit=$work/zip/OstrelZOLTDLL-$version-win32

# expect_files LIST FOLDER: the folder holds exactly the files (and links)
# of LIST.
expect_files() {
  local want=$work/$(basename "$1").want got=$work/$(basename "$1").got
  grep -v '^#' "$1" | if [ "$with_zolt" = 1 ]; then sed 's/^zolt: //'; else grep -v '^zolt: '; fi |
    sort >"$want"
  (cd "$2" && find . ! -type d | sed 's|^\./||' | sort) >"$got"
  if ! diff -u "$want" "$got"; then fail "$2 does not hold the files of $1"; fi
}
step "contents"
[ "$(ls "$work/deb")" = usr ] || fail "the .deb installs outside /usr: $(ls "$work/deb")"
expect_files tests/kit/linux-package.txt "$deb_kit"
expect_files tests/kit/linux-package.txt "$tgz_kit"
expect_files tests/kit/windows-zip.txt "$zip_kit"
if [ "$with_zolt" = 0 ]; then echo "(zolt is not in this tree yet: its files are not expected)"; fi

# at_station NAME PROGRAM [-D...]: runs PROGRAM from a fresh station folder
# (its settings file and an empty data folder beside it, see
# cmake/run_in_station.cmake), output in $work/NAME.log.
at_station() {
  local name=$1 program=$2
  shift 2
  run "$name.log" cmake -DPROGRAM="$program" -DSTATION="$work/stations/$name" "$@" \
    -P cmake/run_in_station.cmake
}
windows=(-DEMULATOR="$root/scripts/wine-run.sh" -DWINDOWS_PATHS=ON)

# expect_sale NAME: the example's answer in $work/NAME.log.
year=$(date +%Y)
expect_sale() {
  local log=$work/$1.log
  grep -q '^check_SoldOut_Condition: [0-9][0-9]*, a PIN can be issued' "$log" ||
    fail "$1: no PIN core from the sold-out query (log: $log)"
  if [ "$year" -ge 2001 ] && [ "$year" -le 2015 ]; then
    grep -q '^ZoltResult: PIN [468][0-9]\{5\}, good until' "$log" || fail "$1: no PIN (log: $log)"
  else
    grep -q '^ZoltResult: code -111:' "$log" || fail "$1: no -111 in $year (log: $log)"
  fi
  echo "ok   $1: $(grep '^ZoltResult' "$log")"
}

strict=(-std=c89 -pedantic -Wall -Wextra -Werror)

step "Linux: the library"
so=$tgz_kit/lib/libOstrelZOLTDLL.so.$version
[ "$(readlink "$tgz_kit/lib/libOstrelZOLTDLL.so")" = libOstrelZOLTDLL.so.20 ] &&
  [ "$(readlink "$tgz_kit/lib/libOstrelZOLTDLL.so.20")" = "libOstrelZOLTDLL.so.$version" ] ||
  fail "the links libOstrelZOLTDLL.so -> .so.20 -> .so.$version"
readelf -d "$so" | grep -q 'SONAME.*\[libOstrelZOLTDLL\.so\.20\]' || fail "SONAME of $so"
run check_so.log cmake -DNM="$(command -v nm)" -DSO="$so" -P tests/abi/check_so.cmake

step "Linux: the example against the unpacked kit"
export PKG_CONFIG_PATH=$deb_kit/lib/pkgconfig
[ "$(pkg-config --modversion ostrelzoltdll)" = "$version" ] || fail "pkg-config --modversion"
# shellcheck disable=SC2046
run cc-pkg-config.log cc "${strict[@]}" -DPOS_EXAMPLE_LINKED "$deb_kit/share/doc/ostrelzoltdll/examples/pos_example.c" \
  $(pkg-config --cflags --libs ostrelzoltdll) -o "$work/pos_linked"
unset PKG_CONFIG_PATH
readelf -d "$work/pos_linked" | grep -q 'NEEDED.*\[libOstrelZOLTDLL\.so\.20\]' ||
  fail "pos_linked does not ask for libOstrelZOLTDLL.so.20"
at_station linux-pkg-config "$work/pos_linked" -DENV="LD_LIBRARY_PATH=$deb_kit/lib"
expect_sale linux-pkg-config

run configure-find-package.log cmake -S tests/kit/find_package -B "$work/find_package" -G Ninja \
  -DCMAKE_PREFIX_PATH="$tgz_kit" -DPOS_EXAMPLE="$tgz_kit/share/doc/ostrelzoltdll/examples/pos_example.c"
run build-find-package.log cmake --build "$work/find_package"
at_station linux-find-package "$work/find_package/pos_example"
expect_sale linux-find-package

run cc-dlopen.log cc "${strict[@]}" -I"$tgz_kit/include" "$tgz_kit/share/doc/ostrelzoltdll/examples/pos_example.c" \
  -ldl -o "$work/pos_dlopen"
at_station linux-dlopen-beside "$work/pos_dlopen" -DLIBRARY="$so"
expect_sale linux-dlopen-beside
if [ "$with_zolt" = 1 ]; then
  at_station linux-zolt-check-library "$tgz_kit/bin/zolt" -DLIBRARY="$so" -DARGS=check-library
fi

step "Linux: the .deb installed, used and removed"
run lintian.log lintian --fail-on error "$deb"
grep -v 'running with root privileges' "$work/lintian.log" || true
run dpkg-install.log $SUDO dpkg -i "$deb"
installed=1
/sbin/ldconfig -p | grep -q 'libOstrelZOLTDLL\.so\.20 ' || fail "ldconfig does not know libOstrelZOLTDLL.so.20"
[ "$(pkg-config --modversion ostrelzoltdll)" = "$version" ] || fail "installed pkg-config file"
# No library beside the program: dlopen finds the installed one by name.
at_station linux-dlopen-installed "$work/pos_dlopen"
expect_sale linux-dlopen-installed
if [ "$with_zolt" = 1 ]; then
  run zolt-installed.log zolt --version
fi
run dpkg-remove.log $SUDO dpkg -r ostrelzoltdll
if dpkg-query -W -f='${Status}' ostrelzoltdll 2>/dev/null | grep -q 'install ok installed'; then
  fail "ostrelzoltdll still installed"
fi
for file in /usr/lib/libOstrelZOLTDLL.so.$version /usr/include/OstrelZOLTDLL.h /usr/share/doc/ostrelzoltdll; do
  [ ! -e "$file" ] || fail "$file left after dpkg -r"
done
# Purged, the machine is as it was before.
run dpkg-purge.log $SUDO dpkg -P ostrelzoltdll
installed=0
if dpkg-query -W ostrelzoltdll >/dev/null 2>&1; then fail "dpkg still knows ostrelzoltdll after dpkg -P"; fi
echo "ok   dpkg -i, dpkg -r, dpkg -P"

step "Windows: the zip's binaries"
system_dlls=" kernel32.dll user32.dll gdi32.dll msvcrt.dll advapi32.dll shell32.dll comctl32.dll comdlg32.dll ole32.dll oleaut32.dll version.dll ws2_32.dll ntdll.dll "
for binary in "$zip_kit"/bin/*; do
  for dll in $(i686-w64-mingw32-objdump -p "$binary" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$system_dlls" in
      *" $dll "*) ;;
      *) fail "$(basename "$binary") imports $dll, which is not a system DLL" ;;
    esac
  done
done
echo "ok   every binary of bin/ imports only system DLLs"
run check_dll.log cmake -DOBJDUMP="$(command -v i686-w64-mingw32-objdump)" \
  -DDLL="$zip_kit/bin/OstrelZOLTDLL.dll" -P tests/abi/check_dll.cmake

step "Windows: the example with mingw, under Wine"
dll=$zip_kit/bin/OstrelZOLTDLL.dll
run mingw-linked.log i686-w64-mingw32-gcc "${strict[@]}" -DPOS_EXAMPLE_LINKED -I"$zip_kit/include" \
  "$zip_kit/examples/pos_example.c" "$zip_kit/lib/libOstrelZOLTDLL.dll.a" -o "$work/pos_linked.exe"
at_station windows-mingw-linked "$work/pos_linked.exe" -DLIBRARY="$dll" "${windows[@]}"
expect_sale windows-mingw-linked
run mingw-by-name.log i686-w64-mingw32-gcc "${strict[@]}" -I"$zip_kit/include" \
  "$zip_kit/examples/pos_example.c" -o "$work/pos_by_name.exe"
at_station windows-mingw-by-name "$work/pos_by_name.exe" -DLIBRARY="$dll" "${windows[@]}"
expect_sale windows-mingw-by-name
if [ "$with_zolt" = 1 ]; then
  at_station windows-zolt-check-library "$zip_kit/bin/zolt.exe" -DLIBRARY="$dll" -DARGS=check-library \
    "${windows[@]}"
fi

step "Windows: the MSVC-format import library"
llvm-readobj "$zip_kit/lib/OstrelZOLTDLL.lib" >"$work/lib-readobj.log"
for symbol in _ZoltResult@16 _check_SoldOut_Condition@12; do
  grep -B4 "^Symbol: $symbol\$" "$work/lib-readobj.log" | grep -q '^Name type: undecorate' ||
    fail "OstrelZOLTDLL.lib: $symbol is not imported under its undecorated name"
done
# A program built as Visual C++ builds it (Clang in its mode, no C runtime),
# linked by lld-link against OstrelZOLTDLL.lib alone.
run clang-msvc.log clang --target=i686-pc-windows-msvc -fms-extensions -ffreestanding -O1 \
  -I"$zip_kit/include" -c tests/kit/header_probe.c -o "$work/probe.obj"
run lld-link.log lld-link /nologo /entry:ZoltProbeMain /subsystem:console /nodefaultlib \
  "$work/probe.obj" "$zip_kit/lib/OstrelZOLTDLL.lib" /out:"$work/msvc_probe.exe"
llvm-readobj --coff-imports "$work/msvc_probe.exe" >"$work/probe-imports.log"
for import in "Name: OstrelZOLTDLL.dll" "Symbol: ZoltResult (1)" "Symbol: check_SoldOut_Condition (2)"; do
  grep -q "^ *$import\$" "$work/probe-imports.log" ||
    fail "the lld-link program does not import '$import' (log: $work/probe-imports.log)"
done
at_station windows-lld-link "$work/msvc_probe.exe" -DLIBRARY="$dll" "${windows[@]}"
echo "ok   OstrelZOLTDLL.lib: _ZoltResult@16 -> ZoltResult, _check_SoldOut_Condition@12 -> check_SoldOut_Condition; the linked program ran"

step "all checks passed"
