#!/usr/bin/python3
"""The page's model check against brimalox-cli simulate, measured in one run on one machine: the
time from the click on RUN THE MODEL to the report, and from process start to exit, for the 146 MHz
design in free space and over average ground at 5 m; the first check of a freshly loaded page,
clicked the moment the calculator is ready and clicked once the worker's warm-up has ended; the
page's size and what takes the room; and the calculator's ready time (navigation to the buttons
enabled) against the same page without the check and its engine (and against other pages given).

Usage: PYTHONPATH=tests bench/check_bench.py build [runs [PAGE...]]   (Selenium and headless Chromium, as the page tests)
  PAGE: other pages whose ready time to give beside (say, an older build's page)
"""
import gzip
import pathlib
import re
import statistics
import sys

from harness.page import Page, build_args  # run with tests/ on PYTHONPATH
from web_page_bench import click_to_status, navigate, process_seconds, timed_runs

build = pathlib.Path(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
others = sys.argv[3:]

args = build_args(build)


def size(path):
    data = pathlib.Path(path).read_bytes()
    return f"{len(data) / 1000:.0f} KB, {len(gzip.compress(data, 9)) / 1000:.0f} KB gzip"


print("page:", size(args.page))
for part in ["web/brimalox_core.js", "web/brimalox_core.wasm.lzma", "web/engine/nec2c_engine.js",
             "web/engine/nec2c_engine.wasm.lzma", "web/unlzma/unlzma.wasm.gz"]:
    print(f"  {part}: {size(build / part)}")



def without_check(html):
    """The page without the model check: its engine, module and worker texts and its script gone."""
    text = re.sub(r'<script type="text/plain" id="(check|nec)-[^"]*">.*?</script>\n?', "", html, flags=re.S)
    return re.sub(r"<script>(?:(?!</script>).)*byId\(['\"]check-worker['\"]\).*?</script>\n?", "", text, flags=re.S)


def ready_times(page, others, runs):
    """Navigation to ready (ms, median) of the page and of each other page, opened alternately."""
    urls = [pathlib.Path(args.page).resolve().as_uri()] + [pathlib.Path(p).resolve().as_uri() for p in others]
    for url in urls:  # the first start of anything is slower
        navigate(page.driver, url, True)
    times = [[] for _ in urls]
    for _ in range(runs):
        for url, into in zip(urls, times):
            into.append(navigate(page.driver, url, True)[2])
    return [statistics.median(t) for t in times]


def first_checks(page, url, runs, after_warm_up):
    """Seconds from the click on RUN THE MODEL to the report, the page's first check, each on the page
    loaded afresh with the 146 MHz design in its address: clicked as soon as the buttons are enabled, or
    once the page marks its worker warm (brimalox-check-warm)."""
    times = []
    for _ in range(runs):
        page.driver.get("about:blank")
        page.driver.get(url + "#f=146&sides=3")
        page.wait("the buttons", "return !document.getElementById('Command4').disabled", 60)
        if after_warm_up:
            page.wait("the warm-up", "return performance.getEntriesByName('brimalox-check-warm').length > 0", 60)
        times.append(click_to_status(page, "check-run", "check-status", "text === 'Done.'", 300))
    return times


CASES = [("free space", [], []), ("average ground, 5 m", [("check-ground", "average"), ("check-height", "5")],
                                   ["--ground", "average", "--height", "5"])]
page = Page(args)
try:
    yardstick = pathlib.Path("/tmp/brimalox-without-check.html")
    html = pathlib.Path(args.page).read_text(encoding="utf-8")
    yardstick.write_text(without_check(html), encoding="utf-8")
    print("  the page without the check and its engine:", size(yardstick))
    ours, theirs, *also = ready_times(page, [yardstick, *others], max(21, 7 * runs))
    print(f"ready (buttons enabled): {ours:.1f} ms, without the check {theirs:.1f} ms: {ours / theirs:.2f}x "
          f"(medians of {max(21, 7 * runs)} alternating navigations)")
    for other, time_ in zip(others, also):
        print(f"  {other}: {time_:.1f} ms, this page {ours / time_:.2f}x that")
    # The pages' first checks alternate, run by run, so that the machine's load falls on each alike.
    pages = [pathlib.Path(p).resolve().as_uri() for p in [args.page, *others]]
    at_ready = {url: [] for url in pages}
    warmed = []
    for _ in range(runs):
        for url in pages:
            at_ready[url] += first_checks(page, url, 1, False)
        warmed += first_checks(page, pages[0], 1, True)
    cli_s = statistics.median(process_seconds([str(build / "cli/brimalox-cli"), "simulate", "146"], runs))
    for url in pages:
        name = "this page" if url == pages[0] else url.rsplit("/", 1)[-1]
        times = at_ready[url]
        print(f"first check, clicked at ready, {name}: {statistics.median(times):.2f} s "
              f"({', '.join(f'{t:.2f}' for t in times)}): {statistics.median(times) / cli_s:.2f}x")
    print(f"first check, clicked after the warm-up: {statistics.median(warmed):.2f} s "
          f"({', '.join(f'{t:.2f}' for t in warmed)}): {statistics.median(warmed) / cli_s:.2f}x; "
          f"brimalox-cli simulate 146 {cli_s:.2f} s")
    # Later checks on one page, the pages in turn for each case so that the load falls on each alike.
    for name, settings, options in CASES:
        results = {}
        for url in pages:
            page.url = url
            page.open()
            for line in ["set Text2 146", "click Command7", "select Option1", "click Command4"]:
                page.act(line)
            for element, value in settings:
                page.js("const e = document.getElementById(arguments[0]); e.value = arguments[1];"
                        "e.dispatchEvent(new Event('change'))", element, value)
            results[url] = timed_runs(page, "check-run", "check-status", "text === 'Done.'", runs, 300)
        cli = process_seconds([str(build / "cli/brimalox-cli"), "simulate", "146", *options], runs)
        cli_s = statistics.median(cli)
        for url, (first, times, _) in results.items():
            who = "this page" if url == pages[0] else url.rsplit("/", 1)[-1]
            page_s = statistics.median(times)
            print(f"{name}, {who}: {page_s:.2f} s (first run {first:.2f} s), brimalox-cli simulate {cli_s:.2f} s: "
                  f"{page_s / cli_s:.2f}x (medians of {runs})")
finally:
    page.close()
