#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The licence notices of the Windows zip: Helixplot's own licence, and the
# licences of what the zip carries (Qt, the MinGW-w64 runtime) or what is
# compiled into its programs (CLI11, nlohmann-json), taken from the Debian
# packages they were built from.
#
#   bash scripts/windows-notices.sh collect FOLDER QT_PREFIX VERSION
#       writes FOLDER/LICENSE.txt and FOLDER/licenses/ (QT_PREFIX: the Qt
#       that scripts/build-qt-mingw.sh built, whose .recipe names its source)
#   bash scripts/windows-notices.sh check FOLDER
#       fails unless every DLL in FOLDER is covered by a notice there
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)

# Each part: its folder under licenses/, the Debian package whose copyright
# file is its notice, and the files of the zip it accounts for.
parts=(
  "Qt|libqt6core6|Qt6*.dll qwindows.dll qwindowsvistastyle.dll"
  "GCC-runtime|gcc-mingw-w64-x86-64-posix-runtime|libstdc++-6.dll libgcc_s_seh-1.dll"
  "MinGW-w64|mingw-w64-x86-64-dev|libwinpthread-1.dll"
  "CLI11|libcli11-dev|"
  "nlohmann-json|nlohmann-json3-dev|"
)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# "source-package version" of a Debian binary package.
source_of() {
  dpkg-query -W -f='${source:Package} ${source:Version}' "$1"
}

collect() {
  local folder=$1 qt=$2 version=$3 part name package qtVersion
  qtVersion=$(sed -n 's/^qt6-base \([^;]*\);.*/\1/p' "$qt/.recipe" 2>/dev/null || true)
  [ -n "$qtVersion" ] || fail "$qt/.recipe names no qt6-base version"
  cp "$repo/LICENSE" "$folder/LICENSE.txt"
  for part in "${parts[@]}"; do
    IFS='|' read -r name package _ <<<"$part"
    mkdir -p "$folder/licenses/$name"
    cp "/usr/share/doc/$package/copyright" "$folder/licenses/$name/copyright"
  done
  cp /usr/share/common-licenses/LGPL-3 "$folder/licenses/Qt/LGPL-3.0.txt"
  cat >"$folder/licenses/README.txt" <<EOF
Helixplot $version for Windows

Helixplot is free software: you can redistribute it and/or modify it under
the terms of the GNU General Public License as published by the Free Software
Foundation, either version 3 of the License, or (at your option) any later
version (LICENSE.txt). Its source is helixplot-$version.tar.gz, released
beside this zip.

This folder also carries the work of others, each under its own licence:

Qt 6 (Qt6*.dll, platforms\\qwindows.dll, styles\\qwindowsvistastyle.dll)
  GNU Lesser General Public License version 3 (Qt\\LGPL-3.0.txt, which adds
  to the GNU GPL in LICENSE.txt); Qt and the libraries built into it, with
  their authors and licences: Qt\\copyright.
  Built from Debian's source package qt6-base $qtVersion
  ("apt-get source qt6-base=$qtVersion" on Debian, or
  https://snapshot.debian.org/package/qt6-base/$qtVersion/) by
  scripts/build-qt-mingw.sh of Helixplot's source, which adds the tablet
  headers wintab.h and pktdef.h from Wine and guards two OpenGL checks of
  the Windows platform plugin. The programs load these DLLs at start-up: a
  build of your own of the same Qt version can take their place.

GCC runtime (libstdc++-6.dll, libgcc_s_seh-1.dll)
  GNU GPL version 3 with the GCC Runtime Library Exception:
  GCC-runtime\\copyright. From Debian's $(source_of gcc-mingw-w64-x86-64-posix-runtime).

MinGW-w64 runtime (libwinpthread-1.dll, and the start-up code linked into
every program)
  MinGW-w64\\copyright (winpthreads: the MIT-style licence under
  "mingw-w64-libraries/winpthreads"). From Debian's $(source_of mingw-w64-x86-64-dev).

CLI11 (compiled into helixplot-cli.exe)
  BSD 3-clause licence: CLI11\\copyright. From Debian's $(source_of libcli11-dev).

JSON for Modern C++ (nlohmann-json, compiled into helixplot-cli.exe)
  MIT licence: nlohmann-json\\copyright. From Debian's $(source_of nlohmann-json3-dev).
EOF
}

check() {
  local folder=$1 part name files file covered pattern patterns
  cmp -s "$repo/LICENSE" "$folder/LICENSE.txt" || fail "LICENSE.txt is not Helixplot's licence"
  grep -q "GNU LESSER GENERAL PUBLIC LICENSE" "$folder/licenses/Qt/LGPL-3.0.txt" 2>/dev/null ||
    fail "no LGPL-3.0 text for Qt"
  grep -q "snapshot.debian.org/package/qt6-base/" "$folder/licenses/README.txt" 2>/dev/null ||
    fail "licenses/README.txt does not say where Qt's source is"
  for part in "${parts[@]}"; do
    IFS='|' read -r name _ _ <<<"$part"
    [ -s "$folder/licenses/$name/copyright" ] || fail "no notice for $name"
    grep -q "$name" "$folder/licenses/README.txt" || fail "licenses/README.txt does not name $name"
  done
  # Every DLL the zip carries must belong to a part with a notice.
  while read -r file; do
    covered=""
    for part in "${parts[@]}"; do
      IFS='|' read -r _ _ files <<<"$part"
      read -ra patterns <<<"$files"
      for pattern in "${patterns[@]}"; do
        # shellcheck disable=SC2053
        [[ ${file##*/} == $pattern ]] && covered=1
      done
    done
    [ -n "$covered" ] || fail "${file#"$folder"/} has no licence notice"
  done < <(find "$folder" -iname '*.dll')
  echo "  licence notices: present for every bundled DLL"
}

case ${1:-} in
  collect) collect "$2" "$3" "$4" ;;
  check) check "$2" ;;
  *) fail "usage: windows-notices.sh collect FOLDER QT_PREFIX VERSION | check FOLDER" ;;
esac
