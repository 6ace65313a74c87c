#!/usr/bin/python3
"""What unpacking the page's two WebAssembly modules costs in headless Chromium, measured in a bare
page that holds only the page's module texts and its unpacking scripts (taken from the built page),
loaded afresh for each run, so that every figure is a first time, as on the way to ready:
- the core's text to a compiled module: Ascii85, the LZMA decoder's start (its gzip'd text to a
  compiled module) and its decoding, compiling; then the engine's text to its bytes;
- the same, the core's, from an older page whose modules are gzip'd (PAGE_BEFORE, optional): Ascii85,
  then the browser's DecompressionStream feeding a streaming compile, as that page did;
- Ascii85 alone, on a page of its own, for the part of the above that it is.
Medians of RUNS, the pages opened alternately.

Usage: PYTHONPATH=tests bench/unlzma_bench.py build [runs [PAGE_BEFORE]]   (Selenium and headless Chromium)
"""
import pathlib
import re
import statistics
import sys
import tempfile

from harness.page import Page, build_args  # run with tests/ on PYTHONPATH

build = pathlib.Path(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 21
before = sys.argv[3] if len(sys.argv) > 3 else None

NOW = """
const [done] = arguments;
const bytes = (id) => brimaloxBase85(document.getElementById(id).textContent);
const t = [performance.now()];
"""
LZMA = NOW + """
brimaloxUnpacked('core-wasm').then((b) => { t.push(performance.now()); return WebAssembly.compile(b); })
  .then(() => { t.push(performance.now()); return brimaloxUnpacked('nec-engine-wasm'); })
  .then(() => { t.push(performance.now()); done({ core: t[1] - t[0], compile: t[2] - t[1], engine: t[3] - t[2] }); },
        (e) => done({ error: String(e) }));
"""
GZIP = NOW + """
const stream = new Blob([bytes('core-wasm')]).stream().pipeThrough(new DecompressionStream('gzip'));
WebAssembly.compileStreaming(new Response(stream, { headers: { 'Content-Type': 'application/wasm' } }))
  .then(() => done({ core: performance.now() - t[0] }), (e) => done({ error: String(e) }));
"""
BASE85 = NOW + """
bytes('core-wasm');
t.push(performance.now());
bytes('nec-engine-wasm');
done({ core: t[1] - t[0], engine: performance.now() - t[1] });
"""


def bare(html, folder, name):
    """The page's module texts and its Ascii85 and LZMA scripts, nothing else."""
    texts = re.findall(r'<script type="text/plain" id="(?:lzma|core|nec-engine)-wasm">.*?</script>', html, re.S)
    scripts = [s for s in re.findall(r"<script>.*?</script>", html, re.S) if "function brimaloxBase85" in s]
    path = pathlib.Path(folder) / name
    path.write_text("<!DOCTYPE html><html><head><title>unpack</title></head><body>" + "".join(texts + scripts) +
                    "</body></html>", encoding="utf-8")
    return path.as_uri()


def medians(page, pages):
    """Each (url, script) of `pages` run on its page loaded afresh, alternately, RUNS times: the medians
    of what each script reports, so that the machine's load falls on each alike."""
    results = [[] for _ in pages]
    for _ in range(runs):
        for (url, script), into in zip(pages, results):
            page.driver.get("about:blank")
            page.driver.get(url)
            result = page.driver.execute_async_script(script)
            if "error" in result:
                sys.exit(f"{url}: {result['error']}")
            into.append(result)
    return [{key: statistics.median(r[key] for r in rs) for key in rs[0]} for rs in results]


args = build_args(build)
page = Page(args, wait_ready=False)
try:
    page.driver.set_script_timeout(60)
    with tempfile.TemporaryDirectory() as folder:
        now = bare(pathlib.Path(args.page).read_text(encoding="utf-8"), folder, "lzma.html")
        pages = [(now, LZMA), (now, BASE85)]
        if before:
            pages.append((bare(pathlib.Path(before).read_text(encoding="utf-8"), folder, "gzip.html"), GZIP))
        lzma, ascii85, *gzip = medians(page, pages)
        print(f"LZMA (this build), medians of {runs} fresh pages: the core's text to its bytes {lzma['core']:.1f} ms "
              f"(of it Ascii85 {ascii85['core']:.1f} ms), compiling them {lzma['compile']:.1f} ms; the engine's "
              f"text to its bytes {lzma['engine']:.1f} ms (of it Ascii85 {ascii85['engine']:.1f} ms)")
        if gzip:
            print(f"gzip ({before}): the core's text to a compiled module {gzip[0]['core']:.1f} ms")
finally:
    page.close()
