#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package (and the tarball), unpacks it into a scratch root
# and checks what it installs: the installed helixplot-cli prints byte for
# byte what the build tree's prints, and the desktop, MIME, AppStream, man
# page and completion files pass their validators.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"

build=build/default
version=$(sed -n 's/.*HelixplotVersion = "\(.*\)";/\1/p' $build/generated/helixplotVersion.h)
rm -rf $build/packages
(cd $build && cpack -G DEB >/dev/null && cpack -G TGZ >/dev/null)
deb=$build/packages/helixplot_${version}_$(dpkg --print-architecture).deb
tgz=$build/packages/helixplot-$version-Linux.tar.gz

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

echo "=== package metadata"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libstdc++6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "no Maintainer"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "package version is not $version"
apt-get install -s -qq "./$deb" >/dev/null || fail "apt cannot resolve the package's dependencies"
# The tarball holds the same files, under its own folder instead of /usr.
diff <(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./usr/\{0,1\}||; s|/$||' | grep -v '^$' | sort) \
  <(tar -tzf "$tgz" | sed 's|^[^/]*/||; s|/$||' | grep -v '^$' | sort) || fail "the tarball's files differ from the package's"

echo "=== installed helixplot-cli against the build tree's"
installed=$root/usr/bin/helixplot-cli
built=$build/helixplot-cli
export HELIXPLOT_SETTINGS=$PWD/samples/settings.ini
cases=(
  "breakdown samples/tibb.gen"
  "summary samples/quin.gen"
  "map samples/yeva.gen"
  "map --mode parental samples/tibb.gen"
  "map --trace-progress samples/tibb.gen samples/nela.gen"
  "map --chemicals samples/allchemicals.str samples/tibb.gen samples/quin.gen samples/yeva.gen"
  "summary samples/missing.gen"
  "map --mode dual samples/tibb.gen"
  "census --format json samples"
  "diff --mode parental samples/tibb.gen"
  "map --format json samples/tibb.gen samples/quin.gen"
  "census --format csv samples"
  "--help"
  "--version"
)
for args in "${cases[@]}"; do
  # shellcheck disable=SC2086
  a=$("$installed" $args >"$scratch/a.out" 2>"$scratch/a.err"; echo $?)
  # shellcheck disable=SC2086
  b=$("$built" $args >"$scratch/b.out" 2>"$scratch/b.err"; echo $?)
  if [ "$a" != "$b" ] || ! cmp -s "$scratch/a.out" "$scratch/b.out" || ! cmp -s "$scratch/a.err" "$scratch/b.err"; then
    fail "helixplot-cli $args: the installed program differs from the build tree's"
  fi
done
[[ $("$installed" --version) == "helixplot-cli $version" ]] || fail "helixplot-cli --version"
[[ $(QT_QPA_PLATFORM=offscreen timeout 60 "$root/usr/bin/helixplot" --version) == "helixplot $version" ]] ||
  fail "helixplot --version"

echo "=== desktop entry and AppStream metainfo"
share=$root/usr/share
desktop=$share/applications/org.helixplot.Helixplot.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate"
grep -qx 'Exec=helixplot %F' "$desktop" || fail "the desktop entry's Exec line"
metainfo=$share/metainfo/org.helixplot.Helixplot.metainfo.xml
appstreamcli validate --no-net "$metainfo" >"$scratch/appstream.log" 2>&1 || {
  cat "$scratch/appstream.log"
  fail "appstreamcli validate"
}
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"
grep -q '<screenshot type="default">' "$metainfo" || fail "the metainfo names no screenshot"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "the metainfo's licence"

echo "=== copyright"
# Debian's own parser, strict: the machine-readable format, and the licence
# that covers the sources.
/usr/bin/python3 - "$share/doc/helixplot/copyright" <<'PY' || fail "the copyright file"
import sys
from debian.copyright import Copyright
with open(sys.argv[1]) as f:
    licence = Copyright(f, strict=True).find_files_paragraph("src/app/main.cpp").license.synopsis
sys.exit(0 if licence == "GPL-3+" else f"src/ is under {licence}, not GPL-3+")
PY

echo "=== icons"
[ -s "$share/icons/hicolor/scalable/apps/org.helixplot.Helixplot.svg" ] || fail "no scalable icon"
for size in 16 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x$size/apps/org.helixplot.Helixplot.png
  file -b "$png" | grep -q "PNG image data, $size x $size" || fail "icon $png is not $size x $size"
done

echo "=== file type"
# The system's database gives *.gen to Sega Genesis ROMs: a genome must be ours
# by name and by content, and a ROM must stay a ROM.
update-mime-database "$share/mime" >/dev/null 2>&1
cp samples/tibb.gen "$scratch/renamed.bin"
cp samples/tibb.gen "$scratch/no-extension"
{ head -c 256 /dev/zero; printf 'SEGA MEGA DRIVE'; head -c 256 /dev/zero; } >"$scratch/rom.gen"
while read -r path expected; do
  actual=$(XDG_DATA_HOME=$share XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$path" |
    sed -n 's/.*standard::content-type: //p')
  [ "$actual" = "$expected" ] || fail "$path is $actual, not $expected"
done <<LIST
samples/tibb.gen application/x-mirelings2-genome
$scratch/renamed.bin application/x-mirelings2-genome
$scratch/no-extension application/x-mirelings2-genome
$scratch/rom.gen application/x-genesis-rom
LIST

echo "=== man pages"
for page in helixplot helixplot-cli; do
  file=$share/man/man1/$page.1.gz
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man $page: $warnings"
  zcat "$file" | grep -q "Helixplot $version" || fail "man $page does not carry version $version"
done

echo "=== bash completion"
# Each line: the words typed so far (the last one being completed), then the
# completions expected, in order.
completion=$share/bash-completion/completions/helixplot-cli
while IFS='|' read -r typed expected; do
  got=$(bash -c '
    source /usr/share/bash-completion/bash_completion
    source "$1"
    read -ra COMP_WORDS <<<"$2"
    [[ $2 == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$2 COMP_POINT=${#2}
    _helixplot_cli helixplot-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "${COMPREPLY[*]}"' _ "$completion" "$typed")
  [ "$got" = "$expected" ] || fail "completing '$typed' gave '$got', not '$expected'"
done <<'LIST'
helixplot-cli |breakdown summary map diff census report lineage decompile compile
helixplot-cli compile -|--chemicals --help -o
helixplot-cli d|diff decompile
helixplot-cli s|summary
helixplot-cli --|--help --version
helixplot-cli map --|--chemicals --format --help --mode --trace-progress
helixplot-cli diff --|--chemicals --format --help --mode
helixplot-cli summary --|--chemicals --format --help
helixplot-cli map --format |text json
helixplot-cli census --|--chemicals --format --help --recursive
helixplot-cli report --r|--recursive
helixplot-cli map --mode |breakdown single parental dual
helixplot-cli census --format |text csv json
helixplot-cli lineage --|--chemicals --format --gene --help --recursive
helixplot-cli lineage --format |text csv json
helixplot-cli --chemicals x.str m|map
helixplot-cli map --mode d|dual
LIST

if ((failures)); then
  echo "package test: $failures failure(s)"
  exit 1
fi
echo "package test: $deb installs, validates and runs"
