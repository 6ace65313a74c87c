#!/usr/bin/env python3
"""The NEC-2 engine in a Web Worker of headless Chromium, the way the page will run it: a page
opened from disk starts a worker from a Blob URL with the engine's script, hands it the inlined
base64 of the gzip-compressed module and a deck, and gets the progress and the output back.

The output must be the one the same engine gives under Node (the same WebAssembly, so the same
digits; timing lines aside), progress must count every frequency, the page's own timer must keep
running meanwhile, and a broken deck must come back as nec2c's reason.
"""
import argparse
import json
import pathlib
import re
import subprocess
import tempfile
import time

from harness import chromium  # tests/ is on PYTHONPATH

WORKER = """
self.onmessage = async (event) => {
  try {
    const engine = await loadNecEngine(event.data.wasm);
    const result = engine.run(event.data.deck, (done) => self.postMessage({ progress: done }));
    let broken = null;
    try { engine.run(event.data.broken); } catch (error) { broken = error.name + ': ' + error.message; }
    self.postMessage({ output: result.output, frequencies: result.frequencies, broken });
  } catch (error) {
    self.postMessage({ failure: String(error && error.stack || error) });
  }
};
"""

PAGE = """<!doctype html><html><head><title>engine</title></head><body><script>
const source = %s;
const job = %s;
window.report = { progress: [], ticks: 0 };
setInterval(() => ++window.report.ticks, 10);
const worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
worker.onerror = (event) => { window.report.failure = 'worker: ' + event.message; };
worker.onmessage = (event) => {
  if (event.data.progress !== undefined) {
    window.report.progress.push(event.data.progress);
    // The timer's count when the first block is done: the page ran while the worker did.
    if (window.report.ticksAtFirst === undefined) window.report.ticksAtFirst = window.report.ticks;
  } else {
    Object.assign(window.report, event.data, { ticksAtEnd: window.report.ticks, done: true });
  }
};
worker.postMessage(job);
</script></body></html>"""

NODE_RUN = """
const fs = require('fs');
const { loadNecEngine } = require(process.argv[1]);
loadNecEngine(fs.readFileSync(process.argv[2], 'utf8'))
  .then((engine) => process.stdout.write(engine.run(fs.readFileSync(0, 'utf8')).output));
"""


def without_timing(text):
    return re.sub(r"\d+ msec", "msec", text)


def main():
    parser = argparse.ArgumentParser()
    for name in ("engine", "wasm", "deck", "node", "chromium", "chromedriver"):
        parser.add_argument("--" + name, required=True)
    args = parser.parse_args()

    engine = pathlib.Path(args.engine).resolve()
    wasm = pathlib.Path(args.wasm).resolve()
    deck = pathlib.Path(args.deck).read_text()
    # Comment cards cut to the 80 characters nec2c reads.
    deck = "\n".join(line[:80] if line.startswith("CM") else line for line in deck.split("\n"))
    broken = "CE\nGW 1 11 0 0 -0.5 0 0 0.5\nGE 0\nEN\n"

    expected = subprocess.run([args.node, "-e", NODE_RUN, str(engine), str(wasm)], input=deck,
                              capture_output=True, text=True, check=True).stdout

    job = {"wasm": wasm.read_text(), "deck": deck, "broken": broken}
    with tempfile.TemporaryDirectory() as folder:
        page = pathlib.Path(folder) / "engine.html"
        page.write_text(PAGE % (json.dumps(engine.read_text() + WORKER), json.dumps(job)))
        driver = chromium.start(args.chromium, args.chromedriver, f"{folder}/profile")
        try:
            driver.get(page.as_uri())
            deadline = time.monotonic() + 90
            report = {}
            while time.monotonic() < deadline:
                report = driver.execute_script("return window.report")
                if report.get("done") or report.get("failure"):
                    break
                time.sleep(0.2)
        finally:
            driver.quit()

    assert not report.get("failure"), report.get("failure")
    assert report.get("done"), "the worker did not answer within 90 s"
    frequencies = report["frequencies"]
    assert frequencies == expected.count("--------- FREQUENCY --------") > 1, frequencies
    assert report["progress"] == list(range(1, frequencies + 1)), report["progress"]
    assert without_timing(report["output"]) == without_timing(expected), "output differs from Node's"
    assert report["broken"] == "NecEngineError: GEOMETRY DATA CARD ERROR", report["broken"]
    # The page's timer (10 ms) ran between the first block and the end of the run, which over
    # the ground sample's Sommerfeld ground takes hundreds of milliseconds.
    assert report["ticksAtEnd"] - report["ticksAtFirst"] >= 3, (report["ticksAtFirst"], report["ticksAtEnd"])
    print(f"worker: {frequencies} frequencies, output as in Node, page timer "
          f"{report['ticksAtFirst']} -> {report['ticksAtEnd']} during the run")


if __name__ == "__main__":
    main()
