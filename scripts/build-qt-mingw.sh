#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Qt 6 (qtbase: core, gui, widgets, testlib and the Windows platform
# plugin) for 64-bit Windows with MinGW-w64, from Debian's own qt6-base
# source package, and installs it into $HELIXPLOT_QT_MINGW (default
# ~/.cache/helixplot/qt6-mingw). Debian has no Qt for MinGW.
#
# The result is reused while its stamp matches: the Qt version (the host's
# qt6-base-dev, whose moc, uic and rcc the build uses) and the recipe below.
# It prints the folder on standard output, everything else on standard
# error. The build takes 20 to 30 minutes on two cores (at the lowest
# priority) and needs about 1.2 GB while it runs; Qt then takes 82 MB.
set -euo pipefail

main() {
  exec 3>&1 1>&2
  cd "$(dirname "$0")/.."
  # Wine's headers bring the tablet headers Debian's Qt source lacks.
  bash scripts/setup.sh libwine-dev ninja-build
  cache=${HELIXPLOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/helixplot}
  prefix=${HELIXPLOT_QT_MINGW:-$cache/qt6-mingw}
  work=$cache/qt6-mingw-work
  jobs=${HELIXPLOT_JOBS:-2}

  # The host tools must be the same version as the Qt built here.
  version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
  features=(sql network printsupport dbus opengl vulkan concurrent xml
    zstd pkg_config system_zlib system_pcre2 system_harfbuzz system_freetype
    system_png system_jpeg system_doubleconversion)
  # Raise the revision when the steps below change what gets built.
  revision=1
  toolchain=$(grep -v '^ *#' cmake/mingw-w64.cmake | sha256sum | cut -c1-16)
  recipe="qt6-base $version; revision $revision; shared; toolchain $toolchain; off: ${features[*]}"
  if [ -f "$prefix/.recipe" ] && [ "$(cat "$prefix/.recipe")" = "$recipe" ]; then
    echo "Qt for MinGW: reusing $prefix"
    echo "$prefix" >&3
    return
  fi

  echo "Qt for MinGW: building qt6-base $version into $prefix"
  start=$SECONDS
  rm -rf "$prefix" "$work"
  mkdir -p "$work/apt/lists/partial" "$work/include"

  # The source package, through a sources list of its own: the system's has
  # no deb-src lines, and its package lists stay untouched.
  apt=(-o "Dir::Etc::SourceList=$work/apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o "Dir::State::Lists=$work/apt/lists" -o Debug::NoDropPrivs=true -o APT::Sandbox::User=root)
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
    >"$work/apt/sources.list"
  apt-get "${apt[@]}" update -qq
  (cd "$work" && apt-get "${apt[@]}" source -qq --download-only "qt6-base=$version" >/dev/null &&
    dpkg-source -x --no-check ./*.dsc qtbase >unpack.log 2>&1)
  src=$work/qtbase

  # Debian's trimmed source lacks the tablet headers; Wine's have them, written
  # for Wine's own headers, whose A/W name macros MinGW's lack, and without
  # the calling-convention macro API that Qt takes from the original ones.
  for header in wintab.h pktdef.h; do
    {
      echo '#pragma once'
      echo '#include <windows.h>'
      echo '#ifndef WINELIB_NAME_AW'
      echo '#  ifdef UNICODE'
      echo '#    define WINELIB_NAME_AW(name) name##W'
      echo '#  else'
      echo '#    define WINELIB_NAME_AW(name) name##A'
      echo '#  endif'
      echo '#  define DECL_WINELIB_TYPE_AW(type) typedef WINELIB_NAME_AW(type) type;'
      echo '#endif'
      echo '#ifndef API'
      echo '#  define API WINAPI'
      echo '#endif'
      cat "/usr/include/wine/wine/windows/$header"
    } >"$work/include/$header"
  done
  # With OpenGL off, Qt 6.4.2 still turns dynamicgl on, and two checks in the
  # platform plugin then reach for the OpenGL context classes.
  sed -i 's/QT_CONFIG(dynamicgl)/QT_CONFIG(opengl) \&\& QT_CONFIG(dynamicgl)/' \
    "$src/src/plugins/platforms/windows/qwindowswindow.cpp"

  # Qt's installed configuration names its toolchain file: a copy that lives
  # as long as this Qt does.
  mkdir -p "$prefix"
  cp cmake/mingw-w64.cmake "$prefix/mingw-w64.cmake"
  off=()
  for feature in "${features[@]}"; do off+=("-DFEATURE_$feature=OFF"); done
  echo "  configuring (log: $work/configure.log)"
  nice -n 19 cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64.cmake" -DHELIXPLOT_MINGW_SHARED_RUNTIME=ON \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-I$work/include" -DCMAKE_C_FLAGS="-I$work/include" \
    "${off[@]}" >"$work/configure.log" 2>&1 || {
    tail -40 "$work/configure.log"
    exit 1
  }
  echo "  building (log: $work/build.log)"
  nice -n 19 cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || {
    grep -A3 -m5 -E 'FAILED:|error:' "$work/build.log" || tail -40 "$work/build.log"
    exit 1
  }
  cmake --install "$work/build" >"$work/install.log" 2>&1 || {
    tail -20 "$work/install.log"
    exit 1
  }
  echo "$recipe" >"$prefix/.recipe"
  echo "Qt for MinGW: built in $(((SECONDS - start) / 60)) min, $(du -sh "$prefix" | cut -f1) installed"
  rm -rf "$work"
  echo "$prefix" >&3
}

# The whole file is read before anything runs, so editing it mid-build is safe.
main "$@"
exit
