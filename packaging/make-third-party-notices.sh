#!/usr/bin/env bash
# Writes packaging/THIRD-PARTY-NOTICES.txt from the Debian copyright files of
# the packages whose code the kit's binaries carry, as installed on the build
# machine (scripts/bootstrap.sh installs them). Run it again when the
# toolchain or a bundled library changes; the file is kept in the tree so
# that every kit ships the same text.
set -euo pipefail
cd "$(dirname "$0")"
doc=/usr/share/doc

# license FILE NAME: the stand-alone "License: NAME" paragraph of a DEP-5
# copyright file, with its text (the first paragraph that carries text).
license() {
  awk -v name="$2" '
    $0 == "License: " name { grab = 1; lines = 0; next }
    grab && /^$/ { if (lines > 0) exit; grab = 0; next }
    grab { if (lines == 0) print "License: " name; print; lines++ }
  ' "$1" | sed 's/^ \.$//; s/^ //'
}
# files FILE PATTERN: the Files/Copyright/License lines of the paragraphs
# whose Files line matches PATTERN.
files() {
  awk -v pat="$2" '
    /^Files:/ { show = ($0 ~ pat) }
    show && /^(Files|Copyright|License):/ { print }
    show && /^[ \t]/ && prev ~ /^(Files|Copyright)/ { print }
    { prev = $0 }
  ' "$1"
}
rule() { printf '\n%s\n%s\n\n' "$1" "$(printf '%*s' ${#1} '' | tr ' ' '=')"; }

{
  cat <<'HEAD'
Third-party notices of the OstrelZOLT kit

The kit's own code is under LICENSE. Its binaries also carry code of the
following projects, under the licences below. Which binaries carry what:

  Windows (OstrelZOLTDLL.dll, ZOLTDLLTestAPP.exe,
  MakeZOLTconfigurationFile.exe, zolt.exe), each linked statically:
    - the mingw-w64 runtime (start-up code and C runtime glue) and its
      threads library winpthreads;
    - the GCC runtime libraries libgcc and libstdc++, under the GPL with
      the GCC Runtime Library Exception (which lets programs compiled with
      GCC carry them under terms of their own).
  zolt.exe and zolt (Linux): CLI11 (command line), nlohmann/json (JSON
  output), compiled in from their headers.
  Linux window programs (ZOLTDLLTestAPP, MakeZOLTconfigurationFile): Qt 6,
  linked dynamically against the system's Qt libraries (LGPL-3; the Qt
  libraries are not part of the kit and may be replaced by the site).
  The Linux library libOstrelZOLTDLL.so uses the system's C and C++
  runtimes, linked dynamically.

The texts below are those of the Debian packages the kit is built with
(/usr/share/doc/<package>/copyright).
HEAD
  rule "mingw-w64 runtime (package mingw-w64-i686-dev)"
  files $doc/mingw-w64-i686-dev/copyright '^Files: \*$'
  files $doc/mingw-w64-i686-dev/copyright 'mingw-w64-crt/crt/'
  echo
  license $doc/mingw-w64-i686-dev/copyright ZPL-2.1
  rule "winpthreads (package mingw-w64-i686-dev)"
  files $doc/mingw-w64-i686-dev/copyright 'winpthreads/(\*|include|src)'
  echo
  license $doc/mingw-w64-i686-dev/copyright expat
  echo
  sed -n '/^Files: mingw-w64-libraries\/winpthreads\/include\/pthread.h/,/^$/p' \
    $doc/mingw-w64-i686-dev/copyright | sed 's/^ \.$//; s/^ //'
  license $doc/mingw-w64-i686-dev/copyright BSD-3-clause
  rule "GCC runtime libraries libgcc and libstdc++ (package gcc-12-base)"
  echo "GPL-3 with the GCC Runtime Library Exception, version 3.1:"
  echo
  sed -n '/^GCC RUNTIME LIBRARY EXCEPTION/,/requirements of the license of GCC\./p' $doc/gcc-12-base/copyright
  rule "CLI11 (package libcli11-dev)"
  files $doc/libcli11-dev/copyright '^Files: \*$'
  echo
  license $doc/libcli11-dev/copyright BSD-3-clause
  rule "nlohmann/json (package nlohmann-json3-dev)"
  files $doc/nlohmann-json3-dev/copyright '^Files: \*$'
  echo
  license $doc/nlohmann-json3-dev/copyright Expat
  rule "Qt 6 (packages libqt6core6, libqt6gui6, libqt6widgets6)"
  cat <<'QT'
Copyright: The Qt Company Ltd. and other contributors
License: LGPL-3
 The Linux window programs link the system's Qt 6 libraries dynamically
 and carry no Qt code of their own. The GNU Lesser General Public License
 version 3 is in /usr/share/common-licenses/LGPL-3 on Debian systems, and
 the full copyright of Qt in /usr/share/doc/libqt6core6/copyright.
QT
} >THIRD-PARTY-NOTICES.txt
echo "wrote packaging/THIRD-PARTY-NOTICES.txt ($(wc -l <THIRD-PARTY-NOTICES.txt) lines)"
