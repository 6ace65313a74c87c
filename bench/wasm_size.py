#!/usr/bin/env python3
"""What takes the room in the WebAssembly module.

Usage: wasm_size.py MODULE.js NAMED.wasm NAMED.js
  MODULE.js   the shipped single-file module (raw and gzip size)
  NAMED.wasm  the same objects linked with --profiling-funcs and without SINGLE_FILE, so that each
              function body keeps its name; NAMED.js is its JavaScript glue.
Prints the sizes, the sections of the WebAssembly binary, and its code by origin with the largest
functions of each.
"""
import collections
import gzip
import re
import sys


def leb(data, i):
    result = shift = 0
    while True:
        byte = data[i]
        i += 1
        result |= (byte & 0x7F) << shift
        shift += 7
        if byte < 0x80:
            return result, i


def skip_limits(data, j):
    flags, j = leb(data, j)
    _, j = leb(data, j)
    if flags & 1:
        _, j = leb(data, j)
    return j


SECTION_NAMES = {1: "type", 2: "import", 3: "function", 4: "table", 5: "memory", 6: "global",
                 7: "export", 8: "start", 9: "elem", 10: "code", 11: "data", 12: "datacount"}


def read_module(data):
    """Sections with their sizes, function bodies (index, size) and function names."""
    sections, bodies, names = [], [], {}
    imported = 0
    i = 8
    while i < len(data):
        sid = data[i]
        size, i = leb(data, i + 1)
        end = i + size
        if sid == 0:
            length, j = leb(data, i)
            name = data[j:j + length].decode()
            j += length
            sections.append(("custom " + name, size))
            while name == "name" and j < end:
                sub = data[j]
                sub_size, j = leb(data, j + 1)
                sub_end = j + sub_size
                if sub == 1:
                    count, j = leb(data, j)
                    for _ in range(count):
                        index, j = leb(data, j)
                        length, j = leb(data, j)
                        names[index] = data[j:j + length].decode(errors="replace")
                        j += length
                j = sub_end
        else:
            sections.append((SECTION_NAMES.get(sid, str(sid)), size))
            if sid == 2:
                count, j = leb(data, i)
                for _ in range(count):
                    for _field in range(2):
                        length, j = leb(data, j)
                        j += length
                    kind = data[j]
                    j += 1
                    if kind == 0:
                        _, j = leb(data, j)
                        imported += 1
                    elif kind == 1:
                        j = skip_limits(data, j + 1)
                    elif kind == 2:
                        j = skip_limits(data, j)
                    else:
                        j += 2
            elif sid == 10:
                count, j = leb(data, i)
                for k in range(count):
                    body, start = leb(data, j)
                    bodies.append((imported + k, start - j + body))
                    j = start + body
        i = end
    return sections, bodies, names


ORIGINS = [
    ("{fmt}", r"fmt::"),
    ("fast_float", r"fast_float::"),
    ("the binding", r"^brimalox_|PageForm|session\(\)"),
    ("the core (brimalox::)", r"brimalox::"),
    ("C++ runtime: exceptions, RTTI", r"__cxa|__cxxabi|_Unwind|__gxx|exception|runtime_error|std::terminate|"
                                      r"__dynamic_cast|abort_message|type_info"),
    ("C++ runtime: strings", r"basic_string|char_traits"),
    ("malloc (emmalloc)", r"malloc|^free$|sbrk|claim_more_memory|attempt_allocate|operator new|operator delete"),
    ("libc printf (JSON escapes, hex floats)", r"printf|fmt_fp|pop_arg|^out$|^pad|getint|wctomb|frexp|fwrite|__towrite|"
                                            r"__stdio|fputs"),
]


def origin(name):
    for label, pattern in ORIGINS:
        if re.search(pattern, name):
            return label
    return "other (libc, start-up, small helpers)"


def main():
    module_js, named_wasm, named_js = sys.argv[1:4]
    module = open(module_js, "rb").read()
    wasm = open(named_wasm, "rb").read()
    glue = open(named_js, "rb").read()
    print(f"{module_js}: {len(module)} bytes, {len(gzip.compress(module, 9))} gzip -9")
    print(f"  JavaScript glue and binding.js (unminified names aside): about {len(glue)} bytes")
    sections, bodies, names = read_module(wasm)
    total = sum(size for name, size in sections if not name.startswith("custom"))
    print(f"  WebAssembly without names: {total} bytes, {4 * ((total + 2) // 3)} as base64")
    for name, size in sections:
        if not name.startswith("custom") and size >= 100:
            print(f"    {name:10s} {size:7d}")
    by_origin = collections.defaultdict(list)
    for index, size in bodies:
        name = names.get(index, f"function {index}")
        by_origin[origin(name)].append((size, name))
    print("  code by origin:")
    for label, functions in sorted(by_origin.items(), key=lambda item: -sum(s for s, _ in item[1])):
        print(f"    {label:40s} {sum(s for s, _ in functions):7d}  ({len(functions)} functions)")
        for size, name in sorted(functions, reverse=True)[:3]:
            print(f"        {size:6d} {name[:100]}")


if __name__ == "__main__":
    main()
