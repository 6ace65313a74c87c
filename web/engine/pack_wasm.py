#!/usr/bin/env python3
"""Packs a WebAssembly module for inlining in the page: WASM -> WASM.gz and WASM.gz.b64 (its
base64, one line). zopfli writes a gzip stream some 5 % smaller than gzip -9 that the browser's
DecompressionStream('gzip') reads all the same; reading a file to standard output it stores no name
and a zero time, so the bytes depend only on the module (checked below)."""
import base64
import gzip
import shutil
import subprocess
import sys

wasm, = sys.argv[1:]
zopfli = shutil.which("zopfli")
if zopfli is None:
    sys.exit("pack_wasm.py: zopfli not found (Debian package zopfli, see scripts/setup-debian.sh)")
packed = subprocess.run([zopfli, "--gzip", "-c", wasm], stdout=subprocess.PIPE, check=True).stdout
with open(wasm, "rb") as f:
    module = f.read()
# Magic, deflate, no flags (so no name), time 0: anything else would make the page differ from
# build to build.
if packed[:8] != b"\x1f\x8b\x08\x00\x00\x00\x00\x00" or gzip.decompress(packed) != module:
    sys.exit(f"pack_wasm.py: zopfli's output for {wasm} is not a plain gzip stream of it")
with open(wasm + ".gz", "wb") as f:
    f.write(packed)
with open(wasm + ".gz.b64", "wb") as f:
    f.write(base64.b64encode(packed))
