#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes a release of the committed tree into build/release: the Debian
# package, the source tarball and the Windows zip, each checked (the package
# test, a configure of the unpacked tarball, the zip's smoke test under
# Wine), and their SHA-256 sums. The everyday check stays scripts/test.sh.
#
#   bash scripts/release.sh [--no-windows]
#
# The Windows zip needs Qt for MinGW, which scripts/build-qt-mingw.sh builds
# into its cache on first use (20 to 30 minutes); --no-windows leaves the zip
# out.
set -euo pipefail
cd "$(dirname "$0")/.."

windows=1
case ${1:-} in
  --no-windows) windows=0 ;;
  "") ;;
  *) echo "usage: release.sh [--no-windows]" >&2; exit 2 ;;
esac

# The packages are built from the working tree, the tarball from HEAD: both
# must be the same.
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  echo "release: the working tree has uncommitted changes; commit them first" >&2
  exit 1
fi
version=$(sed -n 's/^project(Helixplot VERSION \([^ ]*\) .*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "release: no version in CMakeLists.txt" >&2; exit 1; }
out=build/release
rm -rf "$out"
mkdir -p "$out"

echo "=== Debian package"
bash scripts/test-package.sh
cp build/default/packages/helixplot_"$version"_*.deb "$out/"

echo "=== source tarball"
tarball=$out/helixplot-$version.tar.gz
git archive --format=tar.gz --prefix="helixplot-$version/" -o "$tarball" HEAD
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tar -xzf "$tarball" -C "$scratch"
for file in LICENSE README.md CHANGELOG.md CMakeLists.txt; do
  [ -f "$scratch/helixplot-$version/$file" ] || { echo "release: $file is not in the tarball" >&2; exit 1; }
done
# Complete enough to configure on its own, with nothing from this tree.
(cd "$scratch/helixplot-$version" && cmake --preset run >"$scratch/configure.log" 2>&1) || {
  cat "$scratch/configure.log"
  echo "release: the source tarball does not configure" >&2
  exit 1
}
echo "  $(basename "$tarball") configures on its own"

if ((windows)); then
  echo "=== Windows zip"
  bash scripts/build-windows-desktop.sh # smoke-tests the zip
  cp "build/windows-desktop/helixplot-$version-win64.zip" "$out/"
else
  echo "=== Windows zip: left out (--no-windows)"
fi

(cd "$out" && sha256sum -- * >SHA256SUMS)
echo "release $version of $(git rev-parse --short HEAD) in $out:"
(cd "$out" && ls -l)
