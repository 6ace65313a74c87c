#!/bin/sh
# Installs what building and testing the calculator needs on Debian 12; does nothing when all is there.
set -eu
# The compiler, Qt, the libraries, the NEC-2 engine, the WebAssembly compiler and zopfli to pack it, clang and its
# libFuzzer for the fuzz targets, clang-format for the code's layout; then what the end-to-end tests drive the window with, the browsers
# the web page is tested in (Chromium, WebKitGTK's MiniBrowser with its driver, Firefox ESR), and what checks the package.
packages="cmake ninja-build g++
  qt6-base-dev qt6-serialport-dev qt6-svg-dev libxcb1-dev fonts-liberation2
  libgtest-dev libbenchmark-dev
  libfast-float-dev libfmt-dev libcli11-dev nlohmann-json3-dev librsvg2-dev librsvg2-bin libxml2-utils poppler-utils zopfli
  nec2c
  emscripten nodejs node-acorn
  clang libclang-rt-14-dev clang-format
  xvfb libxdamage1 dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0 xdotool x11-utils imagemagick openbox
  chromium chromium-driver python3-selenium webkit2gtk-driver firefox-esr python3-websockets
  desktop-file-utils appstream man-db lintian dpkg-dev file"
missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
if [ -n "$missing" ]; then
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
fi

# The page's NEC-2 engine and its LZMA decoder are built from Debian's nec2c and lzma sources
# (`apt-get source`, run by the build), which need a source entry. It names the archive and suite
# that the installed nec2c came from, as APT reports them ("500 http://deb.debian.org/debian
# bookworm/main amd64 Packages"), so the source matches the binary the tests compare with and no
# mirror is written down here; lzma is in the same archive and suite.
sources=yes
for s in nec2c lzma; do
  apt-cache showsrc "$s" 2>/dev/null | grep -q "^Package: $s\$" || sources=no
done
if [ "$sources" = no ]; then
  entry=$(apt-cache policy nec2c |
    awk '$2 ~ /:\/\// && $3 ~ /\// && $NF == "Packages" { split($3, s, "/"); print "deb-src " $2 " " s[1] " " s[2]; exit }')
  if [ -z "$entry" ]; then
    echo "setup-debian.sh: no archive offers nec2c, so no source entry can be derived for it" >&2
    exit 1
  fi
  printf '# The NEC-2 engine and the LZMA decoder of the web page are built from source (brimalox scripts/setup-debian.sh)\n%s\n' \
    "$entry" | $sudo tee /etc/apt/sources.list.d/brimalox-deb-src.list >/dev/null
  $sudo apt-get update -qq
fi

# The web page's accessibility checker, axe-core, which Debian does not package: from npm into a
# fixed folder where the page tests look for it.
# Debian's npm where the installed Node does not bring its own.
command -v npm >/dev/null || DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends npm
axe=/usr/local/share/brimalox-axe
[ -f "$axe/node_modules/axe-core/axe.min.js" ] ||
  $sudo npm install --silent --no-audit --no-fund --prefix "$axe" axe-core@4
