#!/usr/bin/python3
"""How big brimalox.html is and how fast it is in headless Chromium.

- The file: its size raw and gzip-compressed, and what takes the room (the module's WebAssembly as
  base64, the module's JavaScript, the page's script and style, the markup with the diagram and
  the notes).
- Navigation: from the start of navigation to the first paint and to ready (the buttons enabled,
  marked by the page as "brimalox-ready"), against a static page with the same markup, style and
  texts and no script at all, whose first paint is when it is ready. The two pages are opened
  alternately in one browser, and the medians are compared.
- One click: from the click event to the last field written (the handler runs to its end within
  the event's dispatch), timed in the page around element.click(), for ACCEPT and COMPUTE.

Usage: PYTHONPATH=tests web_page_bench.py build/web/brimalox.html [--runs 21] [--clicks 500]
"""

import argparse
import gzip
import pathlib
import re
import statistics
import subprocess
import sys
import tempfile
import time

from harness import chromium  # run with tests/ on PYTHONPATH

def kb(size):
    return f"{size / 1000:.1f} KB"


def gz(data):
    return len(gzip.compress(data, 9))


def sizes(html):
    """The file's parts: each named text (the WebAssembly binaries as base85, the worker's and the
    engine's scripts, the module), the page's own scripts, the style sheet, and the markup."""
    text = html.decode("utf-8")
    named = [(m.group(1), m.group(2)) for m in re.finditer(r'<script[^>]*\bid="([^"]+)"[^>]*>(.*?)</script>', text, re.S)]
    page_scripts = [m.group(1) for m in re.finditer(r"<script>(.*?)</script>", text, re.S)]
    style = re.search(r"<style>(.*?)</style>", text, re.S).group(1)
    markup = text
    for part in [body for _, body in named] + page_scripts + [style]:
        markup = markup.replace(part, "", 1)
    svg = re.search(r"<svg.*?</svg>", text, re.S).group(0)
    notes = re.search(r"<textarea id=\"no-Text1\".*?</textarea>", text, re.S).group(0)
    rows = [("whole file", html)]
    rows += [(f"  {name}", body.encode()) for name, body in named]
    rows += [
        ("  page scripts (fitting, clicks, windows, check)", "".join(page_scripts).encode()),
        ("  style sheet (page's and generated)", style.encode()),
        ("  markup (controls, windows, texts)", markup.encode()),
        ("    of it the diagram (SVG)", svg.encode()),
        ("    of it the notes text", notes.encode()),
    ]
    print(f"{'part':50} {'raw':>10} {'gzip -9 alone':>14}")
    for name, data in rows:
        print(f"{name:50} {kb(len(data)):>10} {kb(gz(data)):>14}")


def static_page(html, directory):
    """The same page with every script removed: the same texts, shown with nothing to run."""
    text = re.sub(r"<script>.*?</script>\n?", "", html.decode("utf-8"), flags=re.S)
    path = pathlib.Path(directory) / "static.html"
    path.write_text(text, encoding="utf-8")
    return path


NAVIGATION = """
const paint = performance.getEntriesByType('paint').find((e) => e.name === 'first-paint');
const contentful = performance.getEntriesByType('paint').find((e) => e.name === 'first-contentful-paint');
const ready = performance.getEntriesByName('brimalox-ready')[0];
return [paint ? paint.startTime : null, contentful ? contentful.startTime : null, ready ? ready.startTime : null];
"""


def navigate(driver, url, scripted):
    driver.get("about:blank")
    driver.get(url)
    probe = "return performance.getEntriesByType('paint').length > 1"
    if scripted:
        probe += " && performance.getEntriesByName('brimalox-ready').length > 0"
    for _ in range(1000):
        if driver.execute_script(probe):
            return driver.execute_script(NAVIGATION)
    raise RuntimeError(f"{url}: no paint or no ready mark: {driver.execute_script(NAVIGATION)}")


CLICKS = """
const [count] = arguments;
const times = {ACCEPT: [], COMPUTE: []};
const frequencies = ['50', '146', '28.4', '222.5', '7.1'];
Option1.click();
for (let i = 0; i < count; ++i) {
  Text2.value = frequencies[i % frequencies.length];
  let start = performance.now();
  Command7.click();
  times.ACCEPT.push(performance.now() - start);
  start = performance.now();
  Command4.click();
  times.COMPUTE.push(performance.now() - start);
}
// performance.now() is coarse in a page that is not cross-origin isolated (0.1 ms in Chromium),
// so the mean of a batch as well.
Text2.value = '146';
let start = performance.now();
for (let i = 0; i < count; ++i) Command7.click();
times.meanACCEPT = (performance.now() - start) / count;
start = performance.now();
for (let i = 0; i < count; ++i) Command4.click();
times.meanCOMPUTE = (performance.now() - start) / count;
return times;
"""


# Armed before a click: from the click event (when the browser took the click, not when WebDriver
# was asked for it, which adds a tenth of a second) to the frame after the status the script `done`
# accepts, the report then drawn.
CLICK_TO_STATUS = """
const [button, status, done] = arguments;
window.brimaloxTimed = null;
const target = document.getElementById(status);
const accepts = new Function('text', `return ${done}`);
document.getElementById(button).addEventListener('click', (event) => {
  const clicked = event.timeStamp;
  const observer = new MutationObserver(() => {
    if (!accepts(target.textContent)) return;
    observer.disconnect();
    requestAnimationFrame(() => setTimeout(() => { window.brimaloxTimed = (performance.now() - clicked) / 1000; }));
  });
  observer.observe(target, {childList: true, characterData: true, subtree: true});
}, {once: true, capture: true});
"""


def click_to_status(page, button, status, done, timeout):
    """Seconds from a click on the button to the report drawn with the status that the script `done`
    accepts (it is given the status text as `text`), timed in the page."""
    page.js(CLICK_TO_STATUS, button, status, done)
    page.element(button).click()
    page.wait("the report", "return window.brimaloxTimed !== null", timeout)
    return page.js("return window.brimaloxTimed")


def timed_runs(page, button, status, done, runs, timeout):
    """click_to_status() of the first run (which starts the worker and compiles the engine) and of
    the next `runs`, with the last status. The status is cleared between runs."""
    times = []
    for _ in range(runs + 1):
        times.append(click_to_status(page, button, status, done, timeout))
        last = page.js(f"return document.getElementById('{status}').textContent")
        page.js(f"document.getElementById('{status}').textContent = ''")
    return times[0], times[1:], last


def process_seconds(command, runs):
    """Wall seconds of each of `runs` runs of a command, from start to exit."""
    seconds = []
    for _ in range(runs):
        started = time.monotonic()
        subprocess.run(command, capture_output=True, check=True)
        seconds.append(time.monotonic() - started)
    return seconds


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("page")
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--clicks", type=int, default=500)
    parser.add_argument("--chromium", default="/usr/lib/chromium/chromium")
    parser.add_argument("--chromedriver", default="/usr/bin/chromedriver")
    args = parser.parse_args()

    page = pathlib.Path(args.page).resolve()
    html = page.read_bytes()
    sizes(html)

    with tempfile.TemporaryDirectory(prefix="brimalox-bench-") as directory:
        static = static_page(html, directory)
        driver = chromium.start(args.chromium, args.chromedriver, f"{directory}/profile", ["--window-size=1280,800"])
        try:
            ours, theirs = [], []
            navigate(driver, page.as_uri(), True)  # the first start of anything is slower
            navigate(driver, static.as_uri(), False)
            for _ in range(args.runs):
                ours.append(navigate(driver, page.as_uri(), True))
                theirs.append(navigate(driver, static.as_uri(), False))

            def median(runs, index):
                return statistics.median(r[index] for r in runs)

            page_paint, page_ready = median(ours, 1), median(ours, 2)
            usable = statistics.median(max(r[1], r[2]) for r in ours)
            static_paint = median(theirs, 1)
            print(f"\nnavigation to first contentful paint, medians of {args.runs} alternating runs:")
            print(f"  static page {static_paint:.1f} ms, brimalox.html {page_paint:.1f} ms "
                  f"({page_paint / static_paint:.2f}x)")
            print(f"navigation to ready (buttons enabled): {page_ready:.1f} ms, "
                  f"{page_ready / static_paint:.2f}x the static page's first paint")
            print(f"navigation to both painted and ready: {usable:.1f} ms, {usable / static_paint:.2f}x")
            print("  runs (paint/ready ms): " + ", ".join(f"{r[1]:.0f}/{r[2]:.0f}" for r in ours))
            print("  static runs (paint ms): " + ", ".join(f"{r[1]:.0f}" for r in theirs))

            driver.get(page.as_uri())
            for _ in range(500):
                if driver.execute_script("return performance.getEntriesByName('brimalox-ready').length > 0"):
                    break
            driver.execute_script(CLICKS, 50)  # warm up
            times = driver.execute_script(CLICKS, args.clicks)
            print(f"\none click, from the event to the last field written ({args.clicks} each):")
            for button in ("ACCEPT", "COMPUTE"):
                values = sorted(times[button])
                print(f"  {button}: median {statistics.median(values) * 1000:.0f} us, "
                      f"90th percentile {values[int(len(values) * 0.9)] * 1000:.0f} us, "
                      f"max {values[-1] * 1000:.0f} us; mean of a batch {times['mean' + button] * 1000:.0f} us")
        finally:
            driver.quit()
    return 0


if __name__ == "__main__":
    sys.exit(main())
