#!/bin/sh
# Installs what building and testing the calculator needs on Debian 12; does nothing when all is there.
set -eu
# The compiler, Qt, the libraries, the NEC-2 engine, the WebAssembly compiler, clang and its
# libFuzzer for the fuzz targets; then what the end-to-end tests drive the window with, the browser
# the web page is tested in, and what checks the package.
packages="cmake ninja-build g++
  qt6-base-dev libxcb1-dev fonts-liberation2
  libgtest-dev libbenchmark-dev
  libfast-float-dev libfmt-dev libcli11-dev nlohmann-json3-dev librsvg2-dev librsvg2-bin libxml2-utils
  nec2c
  emscripten nodejs node-acorn
  clang libclang-rt-14-dev
  xvfb libxdamage1 dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xdotool x11-utils imagemagick
  chromium chromium-driver python3-selenium
  desktop-file-utils appstream man-db lintian dpkg-dev file"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
