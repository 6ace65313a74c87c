#!/bin/sh
# Builds the page's LZMA decoder: Debian's lzma source (the LZMA SDK, public domain) fetched with
# `apt-get source` into DEST, as the engine's nec2c is (none of it is kept in the repository), its
# LzmaDec.c compiled by emcc with unlzma.c into a WebAssembly module that imports nothing, packed
# by pack_wasm.py for the browser to unpack (gzip). Outputs in DEST:
#   unlzma.wasm, unlzma.wasm.gz   the module, and gzip-compressed as the page carries it
#   ABOUT-lzma.txt                the decoder's credit and terms (ABOUT-lzma.txt.in) with Debian's
#                                 version of the source (lzma_9.22-2.2.dsc gives 9.22-2.2)
# emcc runs its tools under Node: call with NODE_PATH set as for the engine.
# Usage: build_unlzma.sh DEST EMCC PYTHON
set -eu
here=$(cd "$(dirname "$0")" && pwd)
dest=$(mkdir -p "$1" && cd "$1" && pwd)
emcc=$2
python=$3
# Fetched once per build folder: a change to unlzma.c only compiles again.
if ! ls "$dest"/download/lzma-*/C/LzmaDec.c >/dev/null 2>&1; then
  rm -rf "$dest/download" && mkdir "$dest/download"
  if ! (cd "$dest/download" && apt-get source -qq lzma >/dev/null 2>&1); then
    echo "apt-get source lzma failed. It needs a deb-src entry: run scripts/setup-debian.sh." >&2
    exit 1
  fi
fi
cd "$dest/download"
for dsc in lzma_*.dsc; do version=${dsc#lzma_}; version=${version%.dsc}; done
sdk=$dest/download/$(ls -d lzma-*/ | head -n 1)C
[ -f "$sdk/LzmaDec.c" ] || { echo "no LzmaDec.c in $sdk" >&2; exit 1; }
# -Oz for size; an 8 KB stack (the decoder needs a few hundred bytes) in 128 KB of memory to start
# with, which the script grows to hold the packed and the unpacked module.
"$emcc" -Oz -mbulk-memory -Wall -Wextra -I"$sdk" "$sdk/LzmaDec.c" "$here/unlzma.c" -o "$dest/unlzma.wasm" \
  --no-entry -sTOTAL_STACK=8192 -sINITIAL_MEMORY=131072 -sALLOW_MEMORY_GROWTH=1 -sFILESYSTEM=0 \
  -sEXPORTED_FUNCTIONS=_unlzma_heap,_unlzma_start,_unlzma_run
"$python" "$here/engine/pack_wasm.py" "$dest/unlzma.wasm" gz
sed "s/@LZMA_VERSION@/$version/" "$here/ABOUT-lzma.txt.in" > "$dest/ABOUT-lzma.txt"
