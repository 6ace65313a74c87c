#!/usr/bin/python3
"""What a user does with the page, in each engine its users meet it in (Chromium, WebKitGTK for
Safari's, Firefox ESR): the design road, the model check with the build sheet before and after it, and
the trim from an analyser's file, each from disk and served from localhost, and the served edition
offline. Every figure and word is held to brimalox-cli's (or to replay's, which the page's
Chromium tests hold it to), none written here. One scenario of one engine per run; each check's
time from click to report is printed.

Usage: engines_test.py --engine ENGINE --scenario NAME --page brimalox.html --site site/ --cli brimalox-cli
                       (the browsers' and drivers' paths) --artefacts DIR
"""

import argparse
import json
import pathlib
import subprocess
import sys
import tempfile
import time
import traceback
from xml.etree import ElementTree

from harness import Checks, Failure
from harness.engines import ENGINES, EnginePage
from check_test import CASES, cli, design, fresh_settings, page_sheet, run_check, run_trim, set_settings, svg_tree
from page_test import COMPUTE_EXAMPLES, ROAD, run_script
from site_test import ADDRESS, CONTROLLED, Site, window_and_tools


def options_of(design_options, settings):
    return design_options + [word for _, text, option in settings for word in (option, text)]


def timed_check(page, what):
    began = time.monotonic()
    shown = run_check(page)
    print(f"{what}: the check took {time.monotonic() - began:.1f} s, its sweep shared among "
          f"{page.js('return brimalox.worker.sharedParts()')} engines "
          f"(hardwareConcurrency {page.js('return navigator.hardwareConcurrency')})", flush=True)
    return shown


def scenario_road(page, args, checks, place):
    """ACCEPT, CHANGE and COMPUTE, and a click that fails, as replay gives them after every action."""
    run_script(page, args, checks, f"{place}: road", ROAD)
    page.open()
    run_script(page, args, checks, f"{place}: a negative frequency", COMPUTE_EXAMPLES["-146 MHz, THREE SIDED"])


def scenario_check(page, args, checks, place):
    """The build sheet without model figures, then the first check after the page is ready, its
    report the command line's, and the sheet with its figures, as brimalox-cli sheet --model draws
    them."""
    name, clicks, design_options, settings = CASES[1]
    design(page, clicks)
    set_settings(page, settings)
    shown, date = page_sheet(page)
    plain = cli(args, "sheet", *design_options, "--format", "svg", "--date", date)
    checks.equal(f"{place}: the sheet before the check", svg_tree(shown), svg_tree(plain.stdout))
    shown = timed_check(page, f"{place}: first check, {name}")
    options = options_of(design_options, settings)
    expected = cli(args, "simulate", *options)
    checks.equal(f"{place}: command line status", expected.returncode, 0)
    checks.equal(f"{place}: the report", shown["report"], expected.stdout)
    page.screenshot(f"{page.engine}-{place}-check.png")
    shown, date = page_sheet(page, f"{page.engine}-{place}-sheet.png")
    modelled = cli(args, "sheet", *options, "--model", "--format", "svg", "--date", date)
    checks.equal(f"{place}: the sheet after the check", svg_tree(shown), svg_tree(modelled.stdout))


def scenario_trim(page, args, checks, place):
    """The trim from a measured file, its report the command line's, and the trimmed design's sheet
    with its own model check."""
    name, clicks, design_options, _ = CASES[0]
    with tempfile.TemporaryDirectory() as folder:
        built = pathlib.Path(folder) / "built.s1p"
        subprocess.run([args.cli, "simulate", "142", "--touchstone", str(built)], capture_output=True, check=True)
        design(page, clicks)
        page.element("check-measured").send_keys(str(built))
        page.wait("the file to be taken", "return document.getElementById('check-measured-status')"
                  ".textContent.includes('will be drawn')", 30)
        page.element("trim-source-file").click()
        began = time.monotonic()
        shown = run_trim(page)
        print(f"{place}: the trim took {time.monotonic() - began:.1f} s", flush=True)
        expected = cli(args, "trim", *design_options, "--measured", str(built))
        checks.equal(f"{place}: command line status", expected.returncode, 0)
        checks.equal(f"{place}: the trim's report", shown["report"], expected.stdout.replace(str(built), "built.s1p"))
        checks.true(f"{place}: the trimmed sheet offered", shown["sheet"])
        if not shown["sheet"]:
            return
        ratio = cli(args, "trim", *design_options, "--measured", str(built), "--format", "json").stdout
        page.element("trim-sheet").click()
        page.wait("the trimmed sheet to open", "return document.getElementById('sheet-view').open", 120)
        drawn = page.js("return document.querySelector('#sheet-page svg').outerHTML")
        page.element("sheet-close").click()
        texts = " ".join(e.text.strip() for e in ElementTree.fromstring(drawn).iter() if e.text and e.text.strip())
        said = f"TRIMMED BY THE RATIO {json.loads(ratio)['ratio']:.4f}"
        checks.true(f"{place}: the trimmed sheet says {said!r}", said in texts)
        checks.true(f"{place}: the trimmed sheet has its model check", "NONE RUN FOR THIS SHEET" not in texts)


def scenario_offline(page, args, checks, place, site):
    """After one visit, with the server gone: the page from the service worker, its design from the
    address, a check with the command line's report and the sheet with its figures."""
    page.open(ADDRESS)
    page.wait("the service worker to take the page", CONTROLLED, 60)
    site.server.shutdown()
    site.server.server_close()
    page.open(ADDRESS)
    window_and_tools(page, checks, f"{place}, offline", args.cli)
    page.screenshot(f"{page.engine}-offline.png")


SCENARIOS = {"road": scenario_road, "check": scenario_check, "trim": scenario_trim, "offline": scenario_offline}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--engine", choices=ENGINES, required=True)
    parser.add_argument("--scenario", choices=SCENARIOS, required=True)
    parser.add_argument("--place", choices=["from disk", "served"], action="append",
                        help="where the page is opened (default: both)")
    for option in ("page", "site", "cli", "node", "module", "chromium", "chromedriver", "firefox", "webkitdriver",
                   "minibrowser", "artefacts"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    pathlib.Path(args.artefacts).mkdir(parents=True, exist_ok=True)
    checks = Checks()
    site = Site(args.site)
    places = {"served": site.url} if args.scenario == "offline" else {
        "from disk": pathlib.Path(args.page).resolve().as_uri(), "served": site.url}
    places = {place: url for place, url in places.items() if not args.place or place in args.place}
    page = None
    try:
        page = EnginePage(args.engine, args, "about:blank")
        for place, url in places.items():
            started = time.monotonic()
            page.url = url
            try:
                if args.scenario == "offline":
                    scenario_offline(page, args, checks, place, site)
                else:
                    page.open()
                    SCENARIOS[args.scenario](page, args, checks, place)
            except Failure as failure:
                checks.failures.append(f"{place}: {failure}")
            except Exception:  # one place that broke down says where, and the other still runs
                checks.failures.append(f"{place} broke down:\n{traceback.format_exc()}")
            print(f"{args.engine} {args.scenario} {place}: {time.monotonic() - started:.1f} s", flush=True)
    except Failure as failure:
        checks.failures.append(str(failure))
    finally:
        if page is not None:
            page.close()
        site.close()
    return checks.report()


if __name__ == "__main__":
    sys.exit(main())
