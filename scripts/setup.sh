#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Helixplot needs on Debian, when it is missing. Needs root (or
# sudo) only when something must be installed.
#
#   bash scripts/setup.sh --run [PACKAGE...]   what building and running the programs needs
#   bash scripts/setup.sh [PACKAGE...]         that and what every test needs
#
# Scripts that need more (the Windows release build) name their extra
# packages as arguments.
set -euo pipefail

run=(cmake make g++ pkg-config libcli11-dev nlohmann-json3-dev qt6-base-dev qt6-base-dev-tools libgl-dev)
tests=(libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
       xvfb xauth xdotool xclip x11-utils libx11-dev openbox valgrind dbus-daemon dbus-bin at-spi2-core
       dpkg-dev file desktop-file-utils appstream shared-mime-info libglib2.0-bin
       man-db bash-completion python3-debian python3-html5lib python3-pyatspi gir1.2-atspi-2.0
       g++-mingw-w64-x86-64-posix wine wine64)

if [ "${1:-}" = --run ]; then
  shift
  packages=("${run[@]}" "$@")
else
  packages=("${run[@]}" "${tests[@]}" "$@")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
