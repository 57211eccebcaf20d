#!/usr/bin/env bash
# The release kit, used as its users use it. Builds, from clean build
# folders, the Linux packages (four .debs and one .tar.gz), the Windows zip
# and the Windows installer (.msi), and then:
#   - compares each package's files with tests/kit/*.txt; lintian must find
#     no error and no warning in the .debs;
#   - Linux: checks the SONAME, the links and the exports; installs the
#     .debs with dpkg into a throwaway root (a copy of this machine's package
#     database, so that dpkg checks every dependency against what is really
#     installed, and never this machine's own root): the window programs
#     alone are refused for want of the library; the library alone serves a
#     program that loads libOstrelZOLTDLL.so.20 (and not one that loads the
#     bare libOstrelZOLTDLL.so); zolt check-library and the test program run
#     from the root; the development package builds the C example with
#     pkg-config and with find_package, the C# example with mcs (run by
#     mono) and the Pascal example with fpc, and each runs at a station;
#     removal and purge leave nothing behind; the machine's own package
#     database knows the kit's packages as before (not at all, as a rule);
#   - beside the program: the C example linked with an rpath of $ORIGIN
#     finds the library in its own folder;
#   - Windows: the zip's binaries import only system DLLs; the example is
#     linked with mingw against libOstrelZOLTDLL.dll.a, built loading by
#     name, and linked by lld-link against OstrelZOLTDLL.lib, and each runs
#     under Wine beside the zip's DLL;
#   - the .msi, in a fresh Wine prefix: refused without POSDIR; installed
#     with POSDIR=C:\pos (files compared with tests/kit/windows-msi.txt); an
#     older DLL in the POS folder replaced, a newer one kept; zolt status
#     from the installed place, zolt check-library and the test program at
#     the POS folder; repaired; removed, leaving the settings file, the data
#     folder, its tables and PINTable.lck (compared with
#     tests/kit/windows-msi-removed.txt).
# At a station the examples issue a PIN only while the date is in 2001 to
# 2015 (the library's years); at any other date ZoltResult answers -111
# after a positive sold-out query, and that is what is checked for.
# Called by scripts/test.sh; takes a few minutes, most of them for the two
# builds.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$root/build/release-check
version=20.0.0
major=${version%%.*}

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

# What this machine's own package database says of the kit's packages, to
# prove at the end that nothing here changed it. (Only these: other
# programs may install packages meanwhile on a shared machine.)
kit_on_system() {
  dpkg-query -W -f='${binary:Package} ${Version} ${Status}\n' 'libostrelzoltdll*' 'ostrelzoltdll*' 2>/dev/null || true
  ls /usr/lib/*/libOstrelZOLTDLL* /usr/include/OstrelZOLTDLL.h /usr/bin/zolt 2>/dev/null || true
}
kit_on_system_before=$(kit_on_system)

# The package builds lie beside the presets' build folders, at the same
# depth, so that ccache (CMakeLists.txt) gives them the presets' objects.
pkg_build=$root/build/release-build
rm -rf "$work" "$pkg_build-linux" "$pkg_build-windows"
mkdir -p "$work"

step "packages from clean build folders"
run configure-linux.log cmake --preset linux -B "$pkg_build-linux" \
  -DZOLT_BUILD_TESTS=OFF -DZOLT_BUILD_BENCH=OFF
run package-linux.log cmake --build "$pkg_build-linux" -j2 --target package
run configure-windows.log cmake --preset windows -B "$pkg_build-windows" \
  -DZOLT_BUILD_TESTS=OFF -DZOLT_BUILD_BENCH=OFF
run package-windows.log cmake --build "$pkg_build-windows" -j2 --target package msi

arch=$(dpkg --print-architecture)
ma=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
debs=$pkg_build-linux/packages
deb() { echo "$debs/${1}_${version}_$arch.deb"; }
tgz=$debs/OstrelZOLTDLL-$version-Linux.tar.gz
zip=$pkg_build-windows/packages/OstrelZOLTDLL-$version-win32.zip
msi=$pkg_build-windows/packages/OstrelZOLT-$version-win32.msi
packages=(libostrelzoltdll$major libostrelzoltdll-dev ostrelzoltdll-zolt ostrelzoltdll-programs)
for package in "${packages[@]}"; do
  [ -f "$(deb "$package")" ] || fail "no package $(deb "$package")"
done
for package in "$tgz" "$zip" "$msi"; do
  [ -f "$package" ] || fail "no package $package"
done

mkdir -p "$work/tgz" "$work/zip" "$work/stations"
tar -xzf "$tgz" -C "$work/tgz"
unzip -q "$zip" -d "$work/zip"
tgz_kit=$work/tgz/OstrelZOLTDLL-$version-Linux
zip_kit=$work/zip/OstrelZOLTDLL-$version-win32

# same_files NAME WANT GOT: the sorted lists of files in the files WANT and
# GOT are the same.
same_files() {
  if ! diff -u "$2" "$3"; then fail "$1 does not hold the files it should (want: $2)"; fi
}
listing() { (cd "$1" && find . ! -type d | sed 's|^\./||' | sort); }
kit_list=$work/linux-packages.want
grep -v '^#' tests/kit/linux-packages.txt | sed "s|<ma>|$ma|" >"$kit_list"

step "contents, lintian"
for package in "${packages[@]}"; do
  awk -v p="$package" '$1 == p { print $2 }' "$kit_list" | sort >"$work/$package.want"
  dpkg-deb -c "$(deb "$package")" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||' |
    sort >"$work/$package.got"
  same_files "$package" "$work/$package.want" "$work/$package.got"
  dpkg-deb -c "$(deb "$package")" | awk '{ print $6 }' | grep -qv '^\./usr/\?$\|^\./$\|^\./usr/' &&
    fail "$package installs outside /usr"
done
awk '{ print $2 }' "$kit_list" | sort >"$work/tgz.want"
listing "$tgz_kit" >"$work/tgz.got"
same_files "the .tar.gz" "$work/tgz.want" "$work/tgz.got"
grep -v '^#' tests/kit/windows-zip.txt | sort >"$work/zip.want"
listing "$zip_kit" >"$work/zip.got"
same_files "the zip" "$work/zip.want" "$work/zip.got"
debian_packages=()
for package in "${packages[@]}"; do debian_packages+=("$(deb "$package")"); done
run lintian.log lintian --fail-on error,warning "${debian_packages[@]}"
grep -v 'running with root privileges' "$work/lintian.log" || true
echo "ok   the files of every package; lintian: no error, no warning"

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
in_years() { [ "$year" -ge 2001 ] && [ "$year" -le 2015 ]; }
expect_sale() {
  local log=$work/$1.log
  grep -q '^check_SoldOut_Condition: [0-9][0-9]*, a PIN can be issued' "$log" ||
    fail "$1: no PIN core from the sold-out query (log: $log)"
  if in_years; then
    grep -q '^ZoltResult: PIN [468][0-9]\{5\}, good until' "$log" || fail "$1: no PIN (log: $log)"
  else
    grep -q '^ZoltResult: code -111:' "$log" || fail "$1: no -111 in $year (log: $log)"
  fi
  echo "ok   $1: $(grep '^ZoltResult' "$log")"
}

strict=(-std=c89 -pedantic -Wall -Wextra -Werror)
example=$tgz_kit/share/doc/libostrelzoltdll-dev/examples

step "Linux: the library"
so=$tgz_kit/lib/$ma/libOstrelZOLTDLL.so.$version
[ "$(readlink "$tgz_kit/lib/$ma/libOstrelZOLTDLL.so")" = "libOstrelZOLTDLL.so.$major" ] &&
  [ "$(readlink "$tgz_kit/lib/$ma/libOstrelZOLTDLL.so.$major")" = "libOstrelZOLTDLL.so.$version" ] ||
  fail "the links libOstrelZOLTDLL.so -> .so.$major -> .so.$version"
readelf -d "$so" | grep -q "SONAME.*\[libOstrelZOLTDLL\.so\.$major\]" || fail "SONAME of $so"
run check_so.log cmake -DNM="$(command -v nm)" -DSO="$so" -P tests/abi/check_so.cmake

step "Linux: the .debs in a throwaway root"
# dpkg_root DIR: a root whose package database is a copy of this machine's
# (empty file lists, so that dpkg does not look for their files).
dpkg_root() {
  local admin=$1/var/lib/dpkg
  mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
  cp /var/lib/dpkg/status "$admin/status"
  : >"$admin/available"
  dpkg-query -W -f='${binary:Package}\n${Package}\n' | sort -u |
    while read -r name; do : >"$admin/info/$name.list"; done
}
in_root() { dpkg --root="$droot" --log="$droot/dpkg.log" --force-script-chrootless "$@"; }
droot=$work/root-refused
dpkg_root "$droot"
if in_root -i "$(deb ostrelzoltdll-programs)" >"$work/dpkg-refused.log" 2>&1 ||
  ! grep -q "depends on libostrelzoltdll$major" "$work/dpkg-refused.log"; then
  cat "$work/dpkg-refused.log" >&2
  fail "dpkg installed the window programs without the library"
fi
echo "ok   the window programs alone: refused, they depend on libostrelzoltdll$major"

droot=$work/root
dpkg_root "$droot"
run dpkg-runtime.log in_root -i "$(deb "libostrelzoltdll$major")"
libdir=$droot/usr/lib/$ma
[ "$(ls "$libdir")" = "$(printf 'libOstrelZOLTDLL.so.%s\nlibOstrelZOLTDLL.so.%s' $major $version)" ] ||
  fail "the library package holds more than the library: $(ls "$libdir")"
# A program that loads the library by name, with only the library's package.
cat >"$work/load_by_name.c" <<'PROBE'
#include <dlfcn.h>
#include <stdio.h>
int main(int argc, char** argv) {
  int i, loaded = 0;
  for (i = 1; i < argc; ++i) {
    void* library = dlopen(argv[i], RTLD_NOW);
    printf("%s: %s\n", argv[i], library != NULL ? "loaded" : dlerror());
    loaded += library != NULL;
  }
  return loaded == 1 ? 0 : 1;
}
PROBE
run cc-load-by-name.log cc "$work/load_by_name.c" -ldl -o "$work/load_by_name"
run load-by-name.log env LD_LIBRARY_PATH="$libdir" "$work/load_by_name" \
  "libOstrelZOLTDLL.so.$major" libOstrelZOLTDLL.so
grep -q "^libOstrelZOLTDLL.so.$major: loaded" "$work/load-by-name.log" &&
  grep -q "^libOstrelZOLTDLL.so: .*No such file" "$work/load-by-name.log" ||
  fail "with only the library's package, libOstrelZOLTDLL.so.$major must load and libOstrelZOLTDLL.so not (log: $work/load-by-name.log)"
echo "ok   the library's package alone: libOstrelZOLTDLL.so.$major loads by name, libOstrelZOLTDLL.so does not (ZOLT_LIBRARY_NAME is the first)"
run cc-dlopen.log cc "${strict[@]}" -I"$tgz_kit/include" "$example/pos_example.c" -ldl -o "$work/pos_dlopen"
at_station linux-dlopen-installed "$work/pos_dlopen" -DENV="LD_LIBRARY_PATH=$libdir"
expect_sale linux-dlopen-installed

run dpkg-tools.log in_root -i "$(deb ostrelzoltdll-zolt)" "$(deb ostrelzoltdll-programs)"
at_station linux-zolt-check-library "$droot/usr/bin/zolt" -DENV="LD_LIBRARY_PATH=$libdir" \
  "-DARGS=check-library;$libdir/libOstrelZOLTDLL.so.$major"
echo "ok   zolt check-library: $(grep -m1 '^Library' "$work/linux-zolt-check-library.log")"
# The test program, as copied from the package into a station: GET PIN
# pressed once, unattended; a PIN, or outside the library's years its -111
# message.
testapp_station=$work/stations/linux-testapp
cmake -DPROGRAM="$droot/usr/lib/ostrelzoltdll/ZOLTDLLTestAPP" \
  -DSTATION="$testapp_station" "-DENV=LD_LIBRARY_PATH=$libdir;QT_QPA_PLATFORM=offscreen" \
  "-DARGS=--smoke-test=$testapp_station/window.png" -P cmake/run_in_station.cmake \
  >"$work/testapp.log" 2>&1 || true  # outside the library's years it shows no PIN, and says so
if in_years; then
  grep -q '^smoke test: a PIN shows' "$work/testapp.log" || fail "the test program shows no PIN (log: $work/testapp.log)"
else
  grep -q 'Year out of bounds. Must be 2001-2015' "$work/testapp.log" ||
    fail "the test program does not show -111 (log: $work/testapp.log)"
fi
echo "ok   ZOLTDLLTestAPP from the package: $(grep '^lblPIN\|^lblMsgBox' "$work/testapp.log" | tr '\n' ' ' | cut -c1-120)"

run dpkg-dev.log in_root -i "$(deb libostrelzoltdll-dev)"
export PKG_CONFIG_PATH=$libdir/pkgconfig
[ "$(pkg-config --modversion ostrelzoltdll)" = "$version" ] || fail "pkg-config --modversion"
# shellcheck disable=SC2046
run cc-pkg-config.log cc "${strict[@]}" -DPOS_EXAMPLE_LINKED "$example/pos_example.c" \
  $(pkg-config --cflags --libs ostrelzoltdll) -o "$work/pos_linked"
unset PKG_CONFIG_PATH
readelf -d "$work/pos_linked" | grep -q "NEEDED.*\[libOstrelZOLTDLL\.so\.$major\]" ||
  fail "pos_linked does not ask for libOstrelZOLTDLL.so.$major"
at_station linux-pkg-config "$work/pos_linked" -DENV="LD_LIBRARY_PATH=$libdir"
expect_sale linux-pkg-config
run configure-find-package.log cmake -S tests/kit/find_package -B "$work/find_package" -G Ninja \
  -DCMAKE_PREFIX_PATH="$droot/usr" -DPOS_EXAMPLE="$example/pos_example.c"
run build-find-package.log cmake --build "$work/find_package"
at_station linux-find-package "$work/find_package/pos_example" -DENV="LD_LIBRARY_PATH=$libdir"
expect_sale linux-find-package

declarations=$droot/usr/share/ostrelzoltdll/declarations
dev_examples=$droot/usr/share/doc/libostrelzoltdll-dev/examples
run mcs.log mcs -nologo -warnaserror -platform:x86 -out:"$work/PosExample.exe" \
  "$dev_examples/dotnet/PosExample.cs" "$declarations/OstrelZOLTDLL.cs"
# Under Mono the process is mono, and the library reads its settings beside
# the process's executable: the station gets its own copy of mono.
mono_binary=$(readlink -f "$(command -v mono)")
at_station linux-csharp "$work/PosExample.exe" -DEMULATOR="$work/stations/linux-csharp/$(basename "$mono_binary")" \
  "-DCOPY=$dev_examples/dotnet/PosExample.exe.config;$mono_binary" -DENV="LD_LIBRARY_PATH=$libdir"
expect_sale linux-csharp
mkdir -p "$work/pascal"
run fpc.log fpc -Sew -vw -FU"$work/pascal" -FE"$work/pascal" -Fu"$declarations" -Fl"$libdir" \
  "$dev_examples/pascal/pos_example.pas"
at_station linux-pascal "$work/pascal/pos_example" -DENV="LD_LIBRARY_PATH=$libdir"
expect_sale linux-pascal

reversed=(ostrelzoltdll-programs ostrelzoltdll-zolt libostrelzoltdll-dev "libostrelzoltdll$major")
run dpkg-remove.log in_root -r "${reversed[@]}"
left=$(cd "$droot" && find usr -type f 2>/dev/null || true)
[ -z "$left" ] || fail "files left after dpkg -r: $left"
run dpkg-purge.log in_root -P "${reversed[@]}"
if dpkg-query --root="$droot" -W 'ostrelzoltdll-*' 'libostrelzoltdll*' >/dev/null 2>&1; then
  fail "dpkg still knows the packages after dpkg -P"
fi
echo "ok   dpkg -r, dpkg -P in the throwaway root: nothing left"

step "Linux: beside the program, rpath \$ORIGIN"
run cc-rpath.log cc "${strict[@]}" -DPOS_EXAMPLE_LINKED -I"$tgz_kit/include" "$example/pos_example.c" \
  -L"$tgz_kit/lib/$ma" -lOstrelZOLTDLL '-Wl,-rpath,$ORIGIN' -o "$work/pos_rpath"
at_station linux-rpath-beside "$work/pos_rpath" -DLIBRARY="$so"
expect_sale linux-rpath-beside

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
at_station windows-zolt-check-library "$zip_kit/bin/zolt.exe" -DLIBRARY="$dll" -DARGS=check-library \
  "${windows[@]}"

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

step "Windows: the installer, in a fresh Wine prefix"
WINEPREFIX=$work/wine-msi scripts/msi-check.sh "$msi" "$work/msi" "$dll"

[ "$kit_on_system_before" = "$(kit_on_system)" ] ||
  fail "the kit's packages or files on this machine changed during the release check"
echo "ok   this machine's own packages and files of the kit are as they were"
step "all checks passed"
