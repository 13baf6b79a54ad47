#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need.
set -euo pipefail
packages=(
  cmake make python3
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  googletest
  wine wine64 xvfb xauth libgl1-mesa-dri libglx-mesa0
  fonts-wine fonts-wqy-microhei
  xdotool imagemagick
)
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${packages[@]}"
