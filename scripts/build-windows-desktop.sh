#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows zip of Helixplot on Debian: helixplot.exe and
# helixplot-cli.exe cross-compiled with MinGW-w64 against a Qt built for
# MinGW (scripts/build-qt-mingw.sh, cached outside the repository), with
# every DLL they need beside them, so that the folder runs on a Windows
# machine with nothing installed. Then smoke-tests the zip under Wine on
# Xvfb (scripts/smoke-windows-desktop.sh). Run before a release, not in the
# test command: the first Qt build alone takes 20 to 30 minutes.
#
#   bash scripts/build-windows-desktop.sh   # prints the zip's path last
set -euo pipefail

main() {
  cd "$(dirname "$0")/.."
  bash scripts/setup.sh zip unzip icoutils
  start=$SECONDS
  cache=${HELIXPLOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/helixplot}
  jobs=${HELIXPLOT_JOBS:-2}
  build=$PWD/build/windows-desktop
  triple=x86_64-w64-mingw32

  qt=$(bash scripts/build-qt-mingw.sh)

  # CLI11 and nlohmann-json are headers only, but their Debian package
  # configs name /usr/include, whose C headers must not mix with MinGW's:
  # copies in a prefix of their own.
  headers=$cache/headers-mingw-desktop
  rm -rf "$headers"
  mkdir -p "$headers/include" "$headers/share/cmake"
  cp -r /usr/include/CLI /usr/include/nlohmann "$headers/include/"
  cp -r /usr/share/cmake/CLI11 /usr/share/cmake/nlohmann_json "$headers/share/cmake/"

  echo "=== building helixplot.exe and helixplot-cli.exe"
  # -O2 (stripped below), as the tested Windows build: at -O3 GCC 12 warns
  # falsely (-Wrestrict) on std::string concatenations in the core.
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" \
    -DHELIXPLOT_MINGW_SHARED_RUNTIME=ON -DCMAKE_PREFIX_PATH="$qt;$headers" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHELIXPLOT_TESTS=OFF -DHELIXPLOT_BENCHMARKS=OFF \
    -DHELIXPLOT_TOOLS=OFF >/dev/null
  nice -n 19 cmake --build "$build" -j "$jobs" --target helixplot helixplot-cli

  # The version, set once in CMakeLists.txt, as CPack has it.
  version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
  [ -n "$version" ] || { echo "no version in $build/CPackConfig.cmake"; exit 1; }
  name=helixplot-$version-win64
  stage=$build/stage/$name
  rm -rf "$build/stage"
  mkdir -p "$stage/platforms" "$stage/styles"

  echo "=== packing $name.zip"
  cp "$build/helixplot.exe" "$build/helixplot-cli.exe" "$stage/"
  cp "$qt/plugins/platforms/qwindows.dll" "$stage/platforms/"
  # The native look; without it Qt falls back to Fusion.
  cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
  # The plugins beside the program, never the Qt folder Qt was built for.
  printf '[Paths]\nPrefix = .\nPlugins = .\n' >"$stage/qt.conf"
  cp README.md "$stage/"
  mkdir -p "$stage/docs"
  cp docs/*.md "$stage/docs/"
  bash scripts/windows-notices.sh collect "$stage" "$qt" "$version"

  # Where the DLLs that are not Windows' own come from: Qt, the C++ runtime
  # of the -posix compilers, the threads library.
  gccLib=$(dirname "$("$triple-g++-posix" -print-libgcc-file-name)")
  sources=("$qt/bin" "$gccLib" "/usr/$triple/lib")
  copy_dependencies "$stage"
  "$triple-strip" --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
  bash scripts/windows-notices.sh check "$stage"
  # Explorer shows the program's own icon, not a blank one.
  wrestool --list --type=group_icon "$stage/helixplot.exe" | grep -q . ||
    { echo "FAIL: helixplot.exe carries no icon"; exit 1; }

  zip=$build/$name.zip
  rm -f "$zip"
  (cd "$build/stage" && zip -qr9X "$zip" "$name")
  echo "$name.zip: $(du -h "$zip" | cut -f1), $(find "$stage" -type f | wc -l) files"
  (cd "$stage" && find . -type f | sort | sed 's|^\./|  |')

  bash scripts/smoke-windows-desktop.sh "$zip"
  echo "Windows zip built and smoke-tested in $((SECONDS - start)) s"
  echo "$zip"
}

# The DLLs that come with Windows itself (lower case), which the zip must
# not carry. Anything imported that is neither here nor found in $sources
# fails the build: the zip would not start on a bare Windows.
declare -A systemDlls
for dll in advapi32.dll authz.dll comctl32.dll comdlg32.dll d3d11.dll d3d12.dll d3d9.dll \
  dwmapi.dll dwrite.dll dxgi.dll gdi32.dll imm32.dll kernel32.dll mpr.dll msvcrt.dll \
  netapi32.dll ntdll.dll ole32.dll oleaut32.dll rpcrt4.dll setupapi.dll shcore.dll \
  shell32.dll shlwapi.dll user32.dll userenv.dll uxtheme.dll version.dll winmm.dll \
  winspool.drv ws2_32.dll wtsapi32.dll; do
  systemDlls[$dll]=1
done

# Copies into $1 every DLL its programs and plugins import, and the DLLs
# those import, from $sources; fails on an import found nowhere.
copy_dependencies() {
  local folder=$1 pending file dll lower found source
  mapfile -t pending < <(find "$folder" -name '*.exe' -o -name '*.dll')
  while ((${#pending[@]})); do
    file=${pending[0]}
    pending=("${pending[@]:1}")
    while read -r dll; do
      lower=${dll,,}
      [[ -n ${systemDlls[$lower]:-} || $lower == api-ms-win-* ]] && continue
      [ -e "$folder/$dll" ] && continue
      found=""
      for source in "${sources[@]}"; do
        [ -f "$source/$dll" ] && { found=$source/$dll; break; }
      done
      [ -n "$found" ] || { echo "FAIL: ${file#"$folder"/} imports $dll, which is neither in the zip nor a Windows DLL"; exit 1; }
      cp "$found" "$folder/"
      pending+=("$folder/$dll")
    done < <("$triple-objdump" -p "$file" | sed -n 's/^\tDLL Name: //p')
  done
}

# The whole file is read before anything runs.
main "$@"
exit
