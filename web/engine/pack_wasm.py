#!/usr/bin/env python3
"""Packs a WebAssembly module for inlining in the page, in the forms asked for, each written beside
it: gz (WASM.gz), gz.b64 (its base64, one line) and lzma (WASM.lzma).
Usage: pack_wasm.py WASM FORM...

zopfli writes a gzip stream some 5 % smaller than gzip -9 that the browser's
DecompressionStream('gzip') reads all the same; reading a file to standard output it stores no name
and a zero time, so the bytes depend only on the module (checked below).

WASM.lzma is the .lzma format (LZMA as `xz --format=lzma -9e` writes it, by the same liblzma), a
sixth smaller again, which the page unpacks with a decoder of its own (unlzma.c): the header's
size, which liblzma leaves unknown when it streams, is written in so that the decoder knows the
output's size before it starts. liblzma's encoder is deterministic: the same module, the same bytes.
"""
import base64
import gzip
import lzma
import shutil
import struct
import subprocess
import sys

wasm, *forms = sys.argv[1:]
if not forms or not set(forms) <= {"gz", "gz.b64", "lzma"}:
    sys.exit("usage: pack_wasm.py WASM FORM... (FORM: gz, gz.b64, lzma)")
with open(wasm, "rb") as f:
    module = f.read()


def write(form, data):
    if form in forms:
        with open(f"{wasm}.{form}", "wb") as f:
            f.write(data)


if "gz" in forms or "gz.b64" in forms:
    zopfli = shutil.which("zopfli")
    if zopfli is None:
        sys.exit("pack_wasm.py: zopfli not found (Debian package zopfli, see scripts/setup-debian.sh)")
    packed = subprocess.run([zopfli, "--gzip", "-c", wasm], stdout=subprocess.PIPE, check=True).stdout
    # Magic, deflate, no flags (so no name), time 0: anything else would make the page differ from
    # build to build.
    if packed[:8] != b"\x1f\x8b\x08\x00\x00\x00\x00\x00" or gzip.decompress(packed) != module:
        sys.exit(f"pack_wasm.py: zopfli's output for {wasm} is not a plain gzip stream of it")
    write("gz", packed)
    write("gz.b64", base64.b64encode(packed))

if "lzma" in forms:
    # Properties (lc 3, lp 0, pb 2: the decoder takes lc + lp up to 4), then the size, then the stream
    # with its end mark, which the decoder requires at the size.
    alone = lzma.compress(module, format=lzma.FORMAT_ALONE, preset=9 | lzma.PRESET_EXTREME)
    if alone[:5] != b"\x5d\x00\x00\x00\x04" or alone[5:13] != b"\xff" * 8:
        sys.exit(f"pack_wasm.py: liblzma's .lzma header for {wasm} is not the one the page's decoder takes")
    alone = alone[:5] + struct.pack("<Q", len(module)) + alone[13:]
    if lzma.decompress(alone, format=lzma.FORMAT_ALONE) != module:
        sys.exit(f"pack_wasm.py: the .lzma stream of {wasm} does not unpack to it")
    write("lzma", alone)
