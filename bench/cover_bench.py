#!/usr/bin/python3
"""The page's cover search against brimalox-cli cover, measured in one run on one machine: 2 m and
1.25 m (144:148 and 222:225 MHz) in free space with the recommended conductor, from the click on
SEARCH to the report, and the command from process start to exit (its default jobs, one per core,
and --jobs 1, the page's one candidate at a time).

Usage: PYTHONPATH=tests bench/cover_bench.py build [runs]   (Selenium and headless Chromium, as the page tests)
"""
import pathlib
import statistics
import sys

from harness.page import Page, build_args  # run with tests/ on PYTHONPATH
from web_page_bench import process_seconds, timed_runs

build = pathlib.Path(sys.argv[1])
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
BANDS = ["--band", "144:148", "--band", "222:225"]

args = build_args(build)


page = Page(args)
try:
    page.element("cover-band-2m").click()
    page.element("cover-band-1m25").click()
    first, times, model_runs = timed_runs(page, "cover-run", "cover-status", "text.startsWith('Done')", runs, 600)
    cli = {" ".join(jobs) or "default jobs": process_seconds([str(build / "cli/brimalox-cli"), "cover", *BANDS, *jobs], runs)
           for jobs in ([], ["--jobs", "1"])}
    page_s = statistics.median(times)
    print(f"page: {page_s:.2f} s (first run {first:.2f} s; {model_runs})")
    for name, seconds in cli.items():
        cli_s = statistics.median(seconds)
        print(f"brimalox-cli cover, {name}: {cli_s:.2f} s: the page takes {page_s / cli_s:.2f}x (medians of {runs})")
finally:
    page.close()
