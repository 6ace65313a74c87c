#!/bin/sh
# Fetches Debian's nec2c source into DEST and writes what compiling it needs, since the file list is
# known only once the source is unpacked:
#   compile.rsp  the definition its configure script would make, and the C files (emcc -c @compile.rsp)
#   objects.rsp  the object files that compiling them in DEST/objects gives
#   version.txt  Debian's version, revision included (nec2c_1.3-4.dsc gives 1.3-4)
# `apt-get source` needs no privileges, only a deb-src entry (scripts/setup-debian.sh adds one).
# Usage: fetch-nec2c.sh DEST
set -eu
dest=$(mkdir -p "$1" && cd "$1" && pwd)
rm -rf "$dest/download" && mkdir "$dest/download" && cd "$dest/download"
if ! apt-get source -qq nec2c >/dev/null; then
  echo "apt-get source nec2c failed. It needs a deb-src entry: run scripts/setup-debian.sh." >&2
  exit 1
fi
for dsc in nec2c_*.dsc; do version=${dsc#nec2c_}; version=${version%.dsc}; done
unpacked=$dest/download/$(ls -d nec2c-*/ | head -n 1)
set -- "$unpacked"*.c
[ -f "$1" ] || { echo "no C source in $unpacked" >&2; exit 1; }
# nec2c-1.3 -> "nec2c 1.3", as its configure script would define it.
printf "'-DPACKAGE_STRING=\"%s\"'\n" "$(basename "$unpacked" | tr - ' ')" > "$dest/compile.rsp"
: > "$dest/objects.rsp"
for c in "$@"; do
  printf "'%s'\n" "$c" >> "$dest/compile.rsp"
  printf "'%s/objects/%s.o'\n" "$dest" "$(basename "$c" .c)" >> "$dest/objects.rsp"
done
printf '%s' "$version" > "$dest/version.txt"
