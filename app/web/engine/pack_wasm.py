#!/usr/bin/env python3
"""Packs a WebAssembly module for inlining in the page: WASM -> WASM.gz (gzip -9, no name, no
time, so that the bytes depend only on the module) and WASM.gz.b64 (its base64, one line)."""
import base64
import gzip
import sys

wasm, = sys.argv[1:]
with open(wasm, "rb") as f:
    packed = gzip.compress(f.read(), compresslevel=9, mtime=0)
with open(wasm + ".gz", "wb") as f:
    f.write(packed)
with open(wasm + ".gz.b64", "wb") as f:
    f.write(base64.b64encode(packed))
