#!/usr/bin/python3
"""The page's model check in each engine its users meet it in (Chromium, WebKitGTK, Firefox ESR),
from disk and served from localhost, against brimalox-cli simulate 146 measured in the same run: the
first check of a freshly loaded page, clicked the moment its buttons are enabled, and the checks
after it on the same page, each from the click on RUN THE MODEL to the report (timed in the page).
Each round opens every engine and place afresh and times the command line beside them, so that the
machine's load falls on all alike.

Usage: PYTHONPATH=tests:bench:web/tests bench/engines_bench.py build [rounds [later]] [--engine ENGINE ...]
"""
import argparse
import pathlib
import statistics
import sys
import time

from harness.engines import ENGINES, EnginePage
from site_test import Site
from web_page_bench import click_to_status, process_seconds

parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
parser.add_argument("build")
parser.add_argument("rounds", type=int, nargs="?", default=3)
parser.add_argument("later", type=int, nargs="?", default=3, help="checks after the first, on the same page")
parser.add_argument("--engine", choices=ENGINES, action="append")
options = parser.parse_args()
build = pathlib.Path(options.build).resolve()
engines = options.engine or list(ENGINES)
args = argparse.Namespace(
    chromium="/usr/lib/chromium/chromium", chromedriver="/usr/bin/chromedriver", firefox="/usr/bin/firefox-esr",
    webkitdriver="/usr/bin/WebKitWebDriver", minibrowser="/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser",
    artefacts="/tmp", page=str(build / "web/brimalox.html"))
site = Site(str(build / "web/site"))
places = {"from disk": (build / "web/brimalox.html").as_uri(), "served": site.url}
DONE = "text === 'Done.'"


def checks(engine, url):
    """The first check and the later ones (seconds) on one page loaded afresh in a new browser."""
    page = EnginePage(engine, args, url)
    try:
        page.open("#f=146&sides=3")
        first = click_to_status(page, "check-run", "check-status", DONE, 300)
        later = []
        for _ in range(options.later):
            page.js("document.getElementById('check-status').textContent = ''")
            later.append(click_to_status(page, "check-run", "check-status", DONE, 300))
        return first, later, page.js("return brimalox.worker.sharedParts()")
    finally:
        page.close()


firsts = {(e, p): [] for e in engines for p in places}
laters = {(e, p): [] for e in engines for p in places}
parts = {(e, p): [] for e in engines for p in places}
cli = []
began = time.monotonic()
for _ in range(options.rounds):
    cli += process_seconds([str(build / "cli/brimalox-cli"), "simulate", "146"], 1)
    for engine in engines:
        for place, url in places.items():
            first, later, shared = checks(engine, url)
            firsts[engine, place].append(first)
            laters[engine, place] += later
            parts[engine, place].append(shared)
    cli += process_seconds([str(build / "cli/brimalox-cli"), "simulate", "146"], 1)
site.close()
cli_s = statistics.median(cli)
print(f"brimalox-cli simulate 146: {cli_s:.2f} s (median of {len(cli)}, {', '.join(f'{t:.2f}' for t in cli)})")
print(f"| engine, place | first check | x cli | later checks | x cli | engines sharing the sweep |")
print(f"| --- | --- | --- | --- | --- | --- |")
for (engine, place), times in firsts.items():
    first, later = statistics.median(times), statistics.median(laters[engine, place])
    print(f"| {engine}, {place} | {first:.2f} s | {first / cli_s:.2f}x | {later:.2f} s | {later / cli_s:.2f}x | "
          f"{', '.join(map(str, parts[engine, place]))} |")
print(f"({options.rounds} rounds of {options.later + 1} checks, {time.monotonic() - began:.0f} s in all)")
sys.exit(0)
