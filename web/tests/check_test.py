#!/usr/bin/python3
"""The page's model check in headless Chromium: the design made by clicks in the window, the
settings typed below it, the check run in the page's worker, and everything it shows or offers for
download compared with what brimalox-cli simulate prints and writes for the same design and
settings. Every figure comes from the programs, none from this file.

Usage: check_test.py --scenario NAME (and the options of page_test.py)
"""

import json
import pathlib
import re
import subprocess
import sys
import tempfile
import time

from selenium.webdriver.common.keys import Keys
from xml.etree import ElementTree

import harness  # tests/ is on PYTHONPATH
from harness.page import main, sideways_room

# Each case: the clicks that make the design, the command line's design options for the same design,
# and the check's settings as (page element, text, command-line option).
CASES = [
    ("three sided, AWG 14, free space", ["set Text2 146", "click Command7", "select Option1", "click Command4"],
     ["146", "--sides", "3"], []),
    ("four sided, 6 mm tube, perfect ground at 5 m",
     ["set Text2 146", "click Command7", "set Text8 6", "click Command3", "select Option2", "click Command4"],
     ["146", "--sides", "4", "--mm", "6"], [("check-ground", "perfect", "--ground"), ("check-height", "5", "--height")]),
    ("average ground at 5 m, a custom sweep, a pattern at 150 MHz",
     ["set Text2 146", "click Command7", "select Option1", "click Command4"], ["146", "--sides", "3"],
     [("check-ground", "average", "--ground"), ("check-height", "5", "--height"), ("check-from", "140", "--from"),
      ("check-to", "152", "--to"), ("check-step", "2", "--step"), ("check-pattern-at", "150", "--pattern-at")]),
    ("a height sweep over perfect ground", ["set Text2 50", "click Command7", "select Option1", "click Command4"],
     ["50", "--sides", "3"],
     [("check-ground", "perfect", "--ground"), ("check-height", "3", "--height"), ("check-from", "45", "--from"),
      ("check-to", "55", "--to"), ("check-step", "5", "--step"), ("check-heights", "3:5:1", "--heights")]),
    ("through a feed: lossy lines, a section, a 4:1 balun and coax, the SWR at the rig",
     ["set Text2 146", "click Command7", "select Option1", "click Command4"], ["146", "--sides", "3"],
     [("check-feed-loss", "4", "--feed-loss"), ("check-feed-section", "300,0.82,500", "--feed-section"),
      ("check-balun", "4", "--balun"), ("check-coax", "50,0.66,5,7", "--coax"), ("check-at", "rig", "--at")]),
    ("insulated wire: 0.5 mm of PVC, four sided", ["set Text2 146", "click Command7", "select Option2", "click Command4"],
     ["146", "--sides", "4"], [("check-insulation", "0.5,PVC", "--insulation")]),
]

REPORT_SCRIPT = """
return {report: document.getElementById('check-report').textContent,
        summary: [...document.querySelectorAll('#check-summary li')].map((li) => li.textContent),
        table: [...document.querySelectorAll('#check-sweep tbody tr')].map((r) => [...r.cells].map((c) => c.textContent)),
        status: document.getElementById('check-status').textContent,
        running: !document.getElementById('check-cancel').disabled,
        links: [...document.querySelectorAll('#check-downloads a')].map((a) => [a.download, a.href]),
        rows: document.querySelectorAll('#check-sweep tbody tr').length,
        charts: [...document.querySelectorAll('#check-charts img')].map((i) => i.alt)};
"""

FETCH_SCRIPT = """
const done = arguments[arguments.length - 1];
fetch(arguments[0]).then((r) => r.text()).then(done, (e) => done('fetch failed: ' + e));
"""


class Run:
    def __init__(self, done):
        self.returncode = done.returncode
        # As written: CSV's CR LF line ends stay.
        self.stdout = done.stdout.decode()
        self.stderr = done.stderr.decode()


def cli(args, *words):
    return Run(subprocess.run([args.cli, *words], capture_output=True))


NOT_DECK_OPTIONS = {"--heights", "--feed-line", "--feed-loss", "--feed-section", "--balun", "--coax", "--rig-z0",
                    "--at"}


def simulate(args, options, directory):
    """brimalox-cli simulate's report, JSON and files for the options."""
    files = {"swr": directory / "swr.svg", "pattern": directory / "pattern.svg", "s1p": directory / "model.s1p",
             "smith": directory / "smith.svg"}
    text = cli(args, "simulate", *options, "--plot", str(files["swr"]), "--plot-pattern", str(files["pattern"]),
               "--touchstone", str(files["s1p"]), "--plot-smith", str(files["smith"]))
    as_json = cli(args, "simulate", *options, "--format", "json")
    # The deck is the check's first: without the height sweep and the feed, which `nec` does not take
    # (a feed changes no deck).
    deck_options = [word for i, word in enumerate(options)
                    if word not in NOT_DECK_OPTIONS and (i == 0 or options[i - 1] not in NOT_DECK_OPTIONS)]
    deck = cli(args, "nec", *deck_options)
    return text, as_json, deck, {k: v.read_bytes().decode() for k, v in files.items() if v.exists()}


def report_columns(report):
    """The MHz and SWR columns of the report's sweep, as it prints them."""
    lines = report.splitlines()
    start = next(i for i, line in enumerate(lines) if line.split()[:1] == ["MHz"]) + 1
    rows = []
    for line in lines[start:]:
        if not line.strip():
            break
        rows.append([line.split()[0], line.split()[-1]])
    return rows


def first_difference(a, b, path="$"):
    """Where two JSON values first differ, or None."""
    if isinstance(a, dict) and isinstance(b, dict):
        if a.keys() != b.keys():
            return f"{path}: keys {sorted(a.keys() ^ b.keys())}"
        for key in a:
            found = first_difference(a[key], b[key], f"{path}.{key}")
            if found:
                return found
        return None
    if isinstance(a, list) and isinstance(b, list):
        if len(a) != len(b):
            return f"{path}: {len(a)} against {len(b)} items"
        for i, (x, y) in enumerate(zip(a, b)):
            found = first_difference(x, y, f"{path}[{i}]")
            if found:
                return found
        return None
    return None if a == b and type(a) == type(b) else f"{path}: {a!r} against {b!r}"


def set_settings(page, settings):
    for element, text, _ in settings:
        box = page.element(element)
        if box.tag_name == "select":
            page.js("arguments[0].value = arguments[1]; arguments[0].dispatchEvent(new Event('change'))", box, text)
        else:
            box.clear()
            box.send_keys(text)


def run_check(page, timeout=120):
    page.element("check-run").click()
    page.wait("the check to start", "return !document.getElementById('check-cancel').disabled || "
              "document.getElementById('check-status').textContent !== 'Running the model...'", 10)
    page.wait("the check to end", "return document.getElementById('check-cancel').disabled", timeout)
    return page.js(REPORT_SCRIPT)


def fetched(page, href):
    return page.driver.execute_async_script(FETCH_SCRIPT, href)


def fresh_settings(page):
    """The settings of the check, the trim and the search as the page starts them, and no measured
    file: the next case on the same page is asked as on a fresh one."""
    page.js("""for (const id of ['check-settings', 'trim-settings', 'cover-settings']) document.getElementById(id).reset();
const ground = document.getElementById('check-ground');
ground.dispatchEvent(new Event('change'));
const forget = document.getElementById('check-measured-clear');
if (!forget.hidden) forget.click();""")


def design(page, lines):
    for line in lines:
        page.act(line)


def scenario_differential(page, args, checks):
    """Page against the command line for each case: the report's text, every figure of the JSON, the
    charts' SVG text, the deck and the Touchstone file, all identical."""
    page.driver.set_script_timeout(30)
    with tempfile.TemporaryDirectory() as folder:
        for name, clicks, design_options, settings in CASES:
            fresh_settings(page)
            design(page, clicks)
            set_settings(page, settings)
            shown = run_check(page)
            if name == CASES[0][0]:  # a helper for each core left, fewer if they do not run side by side
                parts, cores = page.js("return [brimalox.worker.sharedParts(), navigator.hardwareConcurrency || 1]")
                checks.true(f"{name}: the sweep shared among {parts} engines on {cores} cores", 1 <= parts <= min(cores, 4))
            options = design_options + [word for _, text, option in settings for word in (option, text)]
            text, as_json, deck, files = simulate(args, options, pathlib.Path(folder))
            checks.equal(f"{name}: command line status", text.returncode, 0)
            checks.equal(f"{name}: report", shown["report"], text.stdout)
            links = dict(shown["links"])
            by_end = {end: href for download, href in links.items() for end in
                      (".json", "-swr.svg", "-pattern.svg", "-smith.svg", ".s1p", ".nec", ".csv")
                      if download.endswith(end)}
            page_json = json.loads(fetched(page, by_end[".json"]))
            difference = first_difference(page_json, json.loads(as_json.stdout))
            checks.true(f"{name}: JSON differs at {difference}", difference is None)
            checks.equal(f"{name}: SWR chart", fetched(page, by_end["-swr.svg"]), files.get("swr"))
            checks.equal(f"{name}: pattern chart", fetched(page, by_end["-pattern.svg"]), files.get("pattern"))
            checks.equal(f"{name}: Smith chart", fetched(page, by_end["-smith.svg"]), files.get("smith"))
            checks.equal(f"{name}: Touchstone file", fetched(page, by_end[".s1p"]), files.get("s1p"))
            checks.equal(f"{name}: deck", fetched(page, by_end[".nec"]), deck.stdout)
            csv = cli(args, "simulate", *options, "--format", "csv")
            checks.equal(f"{name}: CSV", fetched(page, by_end[".csv"]), csv.stdout)
            checks.equal(f"{name}: sweep table rows", shown["rows"], len(page_json["sweep"]))
            # The answer first: the command line's figures, to the report's digits.
            cli_json = json.loads(as_json.stdout)
            low, stretch, pattern = cli_json["lowest_swr"], cli_json["below_2_to_1"], cli_json["patterns"][0]
            checks.equal(f"{name}: the summary", shown["summary"][:1] + shown["summary"][2:], [
                f"Lowest SWR {low['swr']:.2f} at {low['mhz']:.1f} MHz.",
                f"Maximum gain {pattern['max_dbi']:.2f} dBi at {pattern['takeoff_deg']:.1f} degrees above the horizon "
                f"(the take-off angle), at {pattern['mhz']:g} MHz."])
            checks.true(f"{name}: the summary's stretch {shown['summary'][1]!r}", shown["summary"][1].startswith(
                f"SWR under 2:1 from {stretch['from_mhz']:.1f} to {stretch['to_mhz']:.1f} MHz") if stretch
                else "nowhere under 2:1" in shown["summary"][1])
            checks.equal(f"{name}: the sweep table's MHz and SWR, as the report prints them",
                         [[row[0], row[3]] for row in shown["table"]], report_columns(text.stdout))
            if "--heights" in options:
                heights = pathlib.Path(folder) / "heights.svg"
                subprocess.run([args.cli, "simulate", *options, "--plot-heights", str(heights)], capture_output=True)
                href = next(h for d, h in shown["links"] if d.endswith("-heights.svg"))
                checks.equal(f"{name}: heights chart", fetched(page, href), heights.read_bytes().decode())

        # A measured antenna: the model's own reflection coefficient read back as the built one.
        fresh_settings(page)
        design(page, CASES[0][1])
        measured = pathlib.Path(folder) / "built.s1p"
        subprocess.run([args.cli, "simulate", "146", "--touchstone", str(measured)], capture_output=True, check=True)
        page.element("check-measured").send_keys(str(measured))
        page.wait("the file to be taken", "return document.getElementById('check-measured-status').textContent"
                  ".includes('will be drawn')")
        shown = run_check(page)
        text = cli(args, "simulate", "146", "--measured", str(measured))
        # The command line names the file as typed; the page by its name.
        checks.equal("measured: report", shown["report"], text.stdout.replace(str(measured), "built.s1p"))

        # Refusals: the command line's words, each setting called by the page's name for it.
        for name, option, settings in (
                ("height", "--height", [("check-ground", "average", "--ground"), ("check-height", "0.001", "--height")]),
                ("balun", "--balun", [("check-balun", "0", "--balun")]),
                ("coax", "--coax", [("check-coax", "50,2,5", "--coax")]),
                ("feed line", "--feed-line", [("check-feed-line", "300", "--feed-line")]),
                ("insulation", "--insulation", [("check-insulation", "0.5,glass", "--insulation")]),
                ("rig reference", "--rig-z0", [("check-feed-loss", "1", "--feed-loss"), ("check-rig-z0", "-50", "--rig-z0")])):
            fresh_settings(page)
            set_settings(page, settings)
            shown = run_check(page)
            refused = cli(args, "simulate", "146", *[w for _, text, opt in settings for w in (opt, text)])
            checks.true(f"refusal of {name}: command line exit {refused.returncode}", refused.returncode != 0)
            said = shown["report"]
            checks.true(f"refusal of {name}: {said!r} against {refused.stderr!r}",
                        said.startswith(name) and said.replace(name, option, 1) in refused.stderr)


def scenario_use(page, args, checks):
    """Run, progress, cancel, a new run replacing an old one, an unfinished window, a broken file,
    the keyboard, and what a person sees at desktop size and on a phone."""
    # Before COMPUTE: the check says which field and what to do, and runs nothing.
    shown = run_check(page)
    checks.true(f"no option: {shown['report']!r}", "THREE SIDED or FOUR SIDED" in shown["report"])
    page.act("select Option1")
    shown = run_check(page)
    checks.true(f"before COMPUTE: {shown['report']!r}", "Text13" in shown["report"] and "COMPUTE" in shown["report"])
    checks.equal("before COMPUTE: no downloads", shown["links"], [])

    # The run buttons say about how long they take, from the sweep and the ground.
    estimates = "return ['check-estimate', 'trim-estimate'].map((id) => document.getElementById(id).textContent)"
    checks.equal("estimates of the default check and trim", page.js(estimates), ["about 1 s", "about 2 s"])
    set_settings(page, [("check-ground", "average", ""), ("check-height", "5", "")])
    checks.equal("estimates over average ground", page.js(estimates),
                 ["about 5 s over this ground", "about 11 s over this ground"])
    fresh_settings(page)

    design(page, CASES[0][1])
    # A long run (a dense sweep), cancelled while it goes.
    set_settings(page, [("check-from", "100", ""), ("check-to", "200", ""), ("check-step", "0.1", "")])
    page.element("check-run").click()
    page.wait("progress", "const p = document.getElementById('check-progress'); return p.max > 1 && p.value > 0", 60)
    page.element("check-cancel").click()
    state = page.js(REPORT_SCRIPT)
    checks.equal("cancel: status", state["status"], "Cancelled.")
    checks.true("cancel: nothing running", not state["running"])
    # The window stays usable meanwhile and afterwards.
    page.act("click Command7")
    checks.equal("after cancel: the window still computes", page.state()["fields"]["Text4"], "14")

    # A new run replaces one still going; only the second's report is shown.
    page.element("check-run").click()
    page.wait("the first run to go", "return !document.getElementById('check-cancel').disabled", 60)
    set_settings(page, [("check-from", "140", ""), ("check-to", "150", ""), ("check-step", "5", "")])
    shown = run_check(page)
    checks.equal("replaced: the second run's sweep", shown["rows"], 3)
    checks.equal("replaced: status", shown["status"], "Done.")
    checks.equal("replaced: charts", shown["charts"],
                 ["SWR against frequency", "elevation and azimuth patterns at the design frequency",
                  "impedance on a Smith chart where the SWR is taken"])

    # A broken file is named by line and reason, and nothing else changes; chosen after a good file,
    # it replaces it: nothing measured is drawn until a good file is chosen.
    with tempfile.TemporaryDirectory() as folder:
        good = pathlib.Path(folder) / "good.s1p"
        subprocess.run([args.cli, "simulate", "146", "--from", "140", "--to", "150", "--step", "5", "--touchstone",
                        str(good)], capture_output=True, check=True)
        page.element("check-measured").send_keys(str(good))
        page.wait("the good file to be taken", "return document.getElementById('check-measured-status').textContent"
                  ".includes('will be drawn')")
        broken = pathlib.Path(folder) / "broken.s1p"
        broken.write_text("# MHz S RI R 50\n146 0.1 0.2\n145 x y\n")
        page.element("check-measured").send_keys(str(broken))
        page.wait("the file to be read", "return document.getElementById('check-measured-status').textContent !== ''")
        said = page.js("return document.getElementById('check-measured-status').textContent")
        checks.true(f"broken file: {said!r}", said.startswith("broken.s1p: ") and "line 3" in said)
        checks.equal("broken file: the report stays", page.js(REPORT_SCRIPT)["report"], shown["report"])
        checks.true(f"broken file after a good one: {said!r}", "Nothing measured is used" in said)
        checks.true("broken file after a good one: nothing to forget",
                    page.js("return document.getElementById('check-measured-clear').hidden"))

    # Keyboard: the settings and the buttons are reached with Tab and run with Enter.
    page.element("check-step").send_keys(Keys.TAB)
    checks.equal("keyboard: Tab from the step", page.js("return document.activeElement.id"), "check-ground")
    page.element("check-z0").send_keys(Keys.ENTER)
    page.wait("Enter to run the check", "return document.getElementById('check-status').textContent === 'Done.'", 60)
    checks.true("the run after a broken file draws nothing measured",
                "measured (" not in page.js(REPORT_SCRIPT)["report"])
    cancels = [page.element(c).accessible_name for c in ("check-cancel", "trim-cancel", "cover-cancel")]
    checks.true(f"each CANCEL named for what it cancels: {cancels}",
                len(set(cancels)) == 3 and all(c.startswith("CANCEL ") for c in cancels))
    names = page.js("return ['check-z0','check-from','check-ground','check-height','check-run','check-cancel',"
                    "'check-progress'].map((id) => { const e = document.getElementById(id);"
                    " return (e.labels && e.labels.length ? e.labels[0].textContent : '') || e.getAttribute('aria-label')"
                    " || e.textContent; })")
    for name in names:
        checks.true(f"accessible name {name!r}", bool(name and name.strip()))

    desktop_and_phone(page, args, checks, "check", "check")


def desktop_and_phone(page, args, checks, name, part):
    """Pictures of the check's section at desktop size and of one part of it on a 390-pixel phone,
    which must not scroll sideways."""
    page.element("check").screenshot(str(pathlib.Path(args.artefacts) / f"{name}-desktop.png"))
    page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                                {"width": 390, "height": 844, "deviceScaleFactor": 2, "mobile": True})
    checks.equal("phone: sideways scrolling room", sideways_room(page), 0)
    page.js("document.getElementById(arguments[0]).scrollIntoView()", part)
    page.screenshot(f"{name}-phone-390.png")


def svg_tree(svg):
    """The SVG's elements with their attributes and texts: what a browser's serialisation keeps."""
    return [(e.tag, sorted(e.attrib.items()), (e.text or "").strip()) for e in ElementTree.fromstring(svg).iter()]


def page_sheet(page, picture=None):
    """The build sheet BUILD SHEET opens now (closed again), and its date."""
    page.element("sheet-build").click()
    page.wait("the sheet to open", "return document.getElementById('sheet-view').open")
    shown = page.js("return document.querySelector('#sheet-page svg').outerHTML")
    if picture:
        page.screenshot(picture)
    page.element("sheet-close").click()
    return shown, re.search(r"DATE (\d{4}-\d\d-\d\d)", shown).group(1)


def scenario_sheet(page, args, checks):
    """The build sheet after a model check carries the check's figures, as brimalox-cli sheet --model
    draws them for the same design and settings; without a check, or once the window shows another
    design, it carries none."""
    cases = [("three sided, free space", CASES[0][1], ["146", "--sides", "3"], []),
             ("four sided, 6 mm tube, average ground at 5 m, a 200 ohm line", CASES[1][1],
              ["146", "--sides", "4", "--mm", "6"],
              [("check-ground", "average", "--ground"), ("check-height", "5", "--height"),
               ("check-z0", "200", "--z0")]),
             ("three sided, a section, a 4:1 balun and 5 m of coax", CASES[0][1], ["146", "--sides", "3"],
              [("check-feed-section", "75,0.66,340", "--feed-section"), ("check-balun", "4", "--balun"),
               ("check-coax", "50,0.66,5,7", "--coax")])]
    for name, clicks, design_options, settings in cases:
        page.open()
        design(page, clicks)
        shown, date = page_sheet(page)
        plain = cli(args, "sheet", *design_options, "--format", "svg", "--date", date)
        checks.equal(f"{name}: before a check, the sheet without model figures", svg_tree(shown), svg_tree(plain.stdout))
        set_settings(page, settings)
        report = run_check(page)
        checks.equal(f"{name}: the check ran", report["status"], "Done.")
        shown, date = page_sheet(page, f"sheet-model-{design_options[2]}-sides.png")
        options = design_options + [word for _, text, option in settings for word in (option, text)]
        modelled = cli(args, "sheet", *options, "--model", "--format", "svg", "--date", date)
        checks.equal(f"{name}: command line status", modelled.returncode, 0)
        checks.true(f"{name}: the command line's sheet has model figures",
                    svg_tree(modelled.stdout) != svg_tree(plain.stdout))
        checks.equal(f"{name}: the sheet after the check", svg_tree(shown), svg_tree(modelled.stdout))
        as_json = cli(args, "sheet", *options, "--model", "--format", "json", "--date", date)
        checks.equal(f"{name}: the sheet's JSON to save", fetched(page, page.js(
            "return document.getElementById('sheet-json').href")), as_json.stdout)

    # Another design in the window: the last check is not of it, so its sheet has no figures.
    design(page, ["set Text2 147", "click Command7", "select Option2", "click Command4"])
    shown, date = page_sheet(page)
    plain = cli(args, "sheet", "147", "--sides", "4", "--format", "svg", "--date", date)
    checks.equal("another design: no model figures", svg_tree(shown), svg_tree(plain.stdout))

    # A design the check refuses as no design: no sheet either, in the check's words.
    page.open("#f=-146&sides=3")
    refused = run_check(page)
    checks.true(f"a negative design: the check {refused['status']!r}",
                refused["status"].startswith(("Not run: ", "The model failed: ")))
    page.element("sheet-build").click()
    page.wait("the sheet's answer", "return document.getElementById('sheet-message').textContent !== ''")
    checks.equal("a negative design: the sheet's words", page.js("return document.getElementById('sheet-message')"
                                                                 ".textContent"), f"No build sheet: {refused['report']}.")
    checks.true("a negative design: no sheet shown", not page.js("return document.getElementById('sheet-view').open"))


TRIM_SCRIPT = """
return {report: document.getElementById('trim-report').textContent,
        summary: [...document.querySelectorAll('#trim-summary li')].map((li) => li.textContent),
        status: document.getElementById('trim-status').textContent,
        sheet: !document.getElementById('trim-sheet').hidden};
"""


def run_trim(page, timeout=120):
    page.element("trim-run").click()
    page.wait("the trim to end", "return document.getElementById('trim-cancel').disabled && "
              "!document.getElementById('trim-status').textContent.startsWith('Running')", timeout)
    return page.js(TRIM_SCRIPT)


# The command line's names for what the page's trim calls otherwise, for comparing refusals.
TRIM_NAMES = [("--measured-min", "measured dip"), ("--measured-2to1's LOW", "measured 2:1 low edge"),
              ("--measured-2to1", "measured 2:1 edges"), ("--from", "from"), ("--to", "to"), ("--height", "height"),
              ("--ground", "ground"), ("--built-side", "BUILT SIDE"), ("--balun", "balun"), ("--feed-line", "feed line"),
              ("--at", "plane"), ("--z0", "feed line impedance")]


def scenario_trim(page, args, checks):
    """The trim in the page against brimalox-cli trim for the same design and settings: from typed
    2:1 edges, a typed dip, a file and the pieces as built, each report identical; refusals in the
    command line's words with the page's names; a withheld cut list; the trimmed design's build sheet."""
    page.driver.set_script_timeout(30)
    with tempfile.TemporaryDirectory() as folder:
        # The "built" antenna: the model of the design for a lower frequency, so it is electrically long.
        built = pathlib.Path(folder) / "built.s1p"
        subprocess.run([args.cli, "simulate", "142", "--touchstone", str(built)], capture_output=True, check=True)
        cases = [
            ("edges, free space", CASES[0][1], ["146", "--sides", "3"], [],
             [("trim-2to1-low", "134.1"), ("trim-2to1-high", "171.9")], ["--measured-2to1", "134.1:171.9"]),
            ("a dip, four sided 6 mm over average ground at 5 m", CASES[1][1], ["146", "--sides", "4", "--mm", "6"],
             [("check-ground", "average", "--ground"), ("check-height", "5", "--height")],
             [("trim-dip", "150.2")], ["--measured-min", "150.2"]),
            ("a file", CASES[0][1], ["146", "--sides", "3"], [], [], ["--measured", str(built)]),
            ("edges, the pieces as built", CASES[0][1], ["146", "--sides", "3"], [],
             [("trim-2to1-low", "134.1"), ("trim-2to1-high", "171.9"), ("trim-built-side", "270.5"),
              ("trim-built-height", "715")],
             ["--measured-2to1", "134.1:171.9", "--built-side", "270.5", "--built-height", "715"]),
        ]
        for name, clicks, design_options, settings, typed, measured in cases:
            fresh_settings(page)
            design(page, clicks)
            set_settings(page, settings + [(element, text, "") for element, text in typed])
            if "--measured" in measured:
                page.element("check-measured").send_keys(str(built))
                page.wait("the file to be taken", "return document.getElementById('check-measured-status')"
                          ".textContent.includes('will be drawn')")
                page.element("trim-source-file").click()
            shown = run_trim(page)
            options = design_options + [word for _, text, option in settings for word in (option, text)] + measured
            expected = cli(args, "trim", *options)
            checks.equal(f"{name}: command line status", expected.returncode, 0)
            checks.equal(f"{name}: trim report", shown["report"], expected.stdout.replace(str(built), "built.s1p"))
            checks.true(f"{name}: the trimmed sheet offered", shown["sheet"])
            # The answer first: how far off and each cut, the command line's figures.
            as_json = json.loads(cli(args, "trim", *options, "--format", "json").stdout)
            first = shown["summary"][0].split(" (ratio")[0]
            beside = "Beside its model as built, the" if as_json["lengths"] == "as built" else "The"
            checks.equal(f"{name}: the summary's first words", first,
                         f"{beside} antenna is electrically {as_json['off_percent']:.1f} % {as_json['electrically']}")
            cuts = [re.search(r"(?:^Cut |longer by )([\d.]+) mm", said) for said in shown["summary"][1:]]
            said = [float(cut.group(1)) if cut else None for cut in cuts]
            wanted = [abs(piece["change_mm"]) for piece in as_json["pieces"]]
            checks.true(f"{name}: the summary's cuts {said}, the command line's {wanted}",
                        len(said) == len(wanted) and all(s is not None and abs(s - w) < 1e-9 for s, w in zip(said, wanted)))

        # The trimmed design's build sheet: the window's texts with the trimmed height and side.
        as_json = json.loads(cli(args, "trim", *options, "--format", "json").stdout)
        page.element("trim-sheet").click()
        page.wait("the trimmed sheet to open", "return document.getElementById('sheet-view').open")
        page.screenshot("trim-sheet.png")
        drawn = page.js("return document.querySelector('#sheet-page svg').outerHTML")
        page.element("sheet-close").click()
        texts = [e.text.strip() for e in ElementTree.fromstring(drawn).iter() if e.text and e.text.strip()]
        joined = " ".join(texts)
        checks.true(f"trimmed sheet: says the ratio {as_json['ratio']:.4f}",
                    f"TRIMMED BY THE RATIO {as_json['ratio']:.4f}" in joined)
        window = page.state()["fields"]
        # It carries the model check of the trimmed design, as the trim's own run of it found, and
        # what to cut from each piece as built.
        checks.true("trimmed sheet: a model check", "NONE RUN FOR THIS SHEET" not in joined)
        lowest = as_json["trimmed_model"]["lowest_swr"]
        checks.true(f"trimmed sheet: the trimmed model's lowest SWR {lowest:.2f}",
                    any(t.startswith(f"{lowest:.2f} AT ") for t in texts))
        for piece in as_json["pieces"][:1]:  # the sides
            said = re.search(r"as built ([\d.]+): cut ([\d.]+) mm off", joined)
            checks.true(f"trimmed sheet: cut {-piece['change_mm']:.4f} mm from each {piece['piece']}",
                        said and abs(float(said.group(1)) - as_json["built_side_mm"]) < 0.0006
                        and abs(float(said.group(2)) + piece["change_mm"]) < 0.0011)
        for field, key in (("Text13", "new_height_mm"), ("Text17", "new_side_mm")):
            value = next((float(t.split()[0]) for t in texts if t.split()[0].replace(".", "", 1).isdigit()
                          and abs(float(t.split()[0]) - as_json[key]) < 0.0006), None)
            checks.true(f"trimmed sheet: {key} {as_json[key]} on it", value is not None)
            checks.true(f"trimmed sheet: not the window's {field} {window[field]}",
                        all(t.split()[0] != window[field] for t in texts if t.split()))

        # Refusals: the command line's reason, each setting called by the page's name for it.
        design(page, CASES[0][1])
        for name, typed, source, measured in (
                ("a dip outside the sweep", [("trim-dip", "300")], None, ["--measured-min", "300"]),
                ("edges given backwards", [("trim-2to1-low", "171"), ("trim-2to1-high", "134")], None,
                 ["--measured-2to1", "171:134"]),
                ("a trim beyond 20 %", [("trim-2to1-low", "100"), ("trim-2to1-high", "128")], None,
                 ["--measured-2to1", "100:128"]),
                ("a built side far from the design", [("trim-dip", "146"), ("trim-built-side", "9999")], None,
                 ["--measured-min", "146", "--built-side", "9999"]),
                ("a balun no feed has", [("trim-dip", "146"), ("check-balun", "1e9")], None,
                 ["--measured-min", "146", "--balun", "1e9"]),
                ("no file chosen", [], "trim-source-file", None)):
            fresh_settings(page)
            set_settings(page, [(element, text, "") for element, text in typed])
            if source:
                page.element(source).click()
            shown = run_trim(page)
            checks.true(f"{name}: refused, {shown['status']!r}", shown["status"].startswith("Not run: "))
            checks.true(f"{name}: no trimmed sheet", not shown["sheet"])
            if measured is None:
                checks.true(f"{name}: {shown['report']!r}", shown["report"].startswith("measured file: "))
                continue
            refused = cli(args, "trim", "146", "--sides", "3", *measured)
            checks.true(f"{name}: command line exit {refused.returncode}", refused.returncode != 0)
            # The command line's first line, without the command's name.
            reason = refused.stderr.splitlines()[0].removeprefix("trim: ")
            for option, words in TRIM_NAMES:
                reason = reason.replace(option, words)
            checks.equal(f"{name}: the page's words", shown["report"], reason)

        # A file the model cannot back without a feed: no cut list, in the command line's words.
        fresh_settings(page)
        set_settings(page, [("check-z0", "200", "")])
        page.element("check-measured").send_keys(str(built))
        page.wait("the file to be taken", "return document.getElementById('check-measured-status')"
                  ".textContent.includes('will be drawn')")
        page.element("trim-source-file").click()
        shown = run_trim(page)
        withheld = cli(args, "trim", "146", "--sides", "3", "--z0", "200", "--measured", str(built))
        checks.equal("withheld: command line exit", withheld.returncode, 1)
        reason = withheld.stderr.splitlines()[0].removeprefix("brimalox-cli trim: ").replace(str(built), "built.s1p")
        for option, words in TRIM_NAMES:
            reason = reason.replace(option, words)
        checks.equal("withheld: the page's words", shown["report"], reason)
        checks.true(f"withheld: said as such, {shown['status']!r}", shown["status"].startswith("No cut list: "))
        checks.true("withheld: no trimmed sheet", not shown["sheet"])

    page.element("trim-report").screenshot(str(pathlib.Path(args.artefacts) / "trim-refusal.png"))
    desktop_and_phone(page, args, checks, "trim", "trim-heading")


COVER_SCRIPT = """
return {report: document.getElementById('cover-report').textContent,
        summary: [...document.querySelectorAll('#cover-summary li')].map((li) => li.textContent),
        status: document.getElementById('cover-status').textContent,
        use: !document.getElementById('cover-use').hidden,
        charts: document.querySelectorAll('#cover-chart img').length};
"""

def run_cover(page, timeout=240):
    page.element("cover-run").click()
    page.wait("the search to end", "return document.getElementById('cover-cancel').disabled && "
              "!document.getElementById('cover-status').textContent.startsWith('Searching') && "
              "!/^\\d+ of \\d+ model runs/.test(document.getElementById('cover-status').textContent)", timeout)
    return page.js(COVER_SCRIPT)


def scenario_cover(page, args, checks):
    """The search in the page against brimalox-cli cover for the same bands and settings: the report
    identical; USE THIS DESIGN makes in the window, by its own clicks, the design the command line
    names; progress and cancel; refusals in the command line's words with the page's names."""
    cases = [("145-147 MHz, the recommended conductor", [], "145:147", "4", "recommended", [],
              ["--band", "145:147", "--sides", "4"]),
             ("2 m and 1.25 m, a 6 mm tube, over average ground at 5 m", ["cover-band-2m", "cover-band-1m25"], "",
              "3", "6", [("check-ground", "average", "--ground"), ("check-height", "5", "--height")],
              ["--band", "144:148", "--band", "222:225", "--conductors", "6"])]
    for name, presets, typed, sides, conductors, settings, options in cases:
        fresh_settings(page)
        set_settings(page, settings + [("cover-sides", sides, ""), ("cover-conductors", conductors, "")])
        for preset in presets:
            page.element(preset).click()
        set_settings(page, [("cover-bands", typed, "")] if typed else [])
        estimate = page.js("return document.getElementById('cover-estimate').textContent")
        planned = re.fullmatch(r"about \d+ s(?: over this ground)?, at most (\d+) model runs", estimate)
        checks.true(f"{name}: the estimate beside SEARCH {estimate!r}", planned is not None)
        shown = run_cover(page)
        words = options + [word for _, text, option in settings for word in (option, text)]
        started = time.monotonic()
        expected = cli(args, "cover", *words)
        seconds = time.monotonic() - started
        checks.equal(f"{name}: command line status", expected.returncode, 0)
        checks.equal(f"{name}: report", shown["report"], expected.stdout)
        checks.equal(f"{name}: the winner's chart", shown["charts"], 1)
        taken = re.match(r"Done: (\d+) model runs", shown["status"])
        checks.true(f"{name}: {shown['status']!r} within the runs planned", bool(planned and taken) and
                    int(taken.group(1)) <= int(planned.group(1)))
        print(f"{name}: the page {shown['status']!r}; brimalox-cli cover {seconds:.1f} s")

        # The report to save in each format, as the command line prints it, named after the winner as
        # the window names a design's files.
        printed = {"txt": expected.stdout, "csv": cli(args, "cover", *words, "--format", "csv").stdout,
                   "json": cli(args, "cover", *words, "--format", "json").stdout}
        found = json.loads(printed["json"])
        best = found["best"]["design"]
        offered = page.js("return [...document.querySelectorAll('#cover-downloads a')].map((a) => [a.download, a.href])")
        checks.equal(f"{name}: the files offered", [download for download, _ in offered],
                     [f"{float(best['frequency']):.15g}MHz-{sides}sided-cover.{suffix}" for suffix in printed])
        for (download, href), text in zip(offered, printed.values()):
            checks.equal(f"{name}: {download} against brimalox-cli cover", fetched(page, href), text)

        # USE THIS DESIGN: the window ends showing the design the command line names, as its own fields.
        checks.true(f"{name}: the summary {shown['summary']}", bool(shown["summary"]) and shown["summary"][0].startswith(
            (f"Every band stays at or under SWR {found['best']['worst_swr']:.2f} with {best['frequency']} MHz"
             if found["covered"] else f"No design keeps every band under")))
        if not found["covered"]:  # the conductors to add, said as the report says them
            checks.true(f"{name}: {shown['summary'][1]!r} in the report", len(shown["summary"]) > 1 and
                        shown["summary"][1] in expected.stdout and all(t in shown["summary"][1] for t in found["thicker"]))
        checks.true(f"{name}: USE THIS DESIGN offered", shown["use"])
        page.element("cover-use").click()
        window = page.state()["fields"]
        for key, field in harness.design_fields(args.cli).items():
            checks.equal(f"{name}: after USE THIS DESIGN, {field} ({key})", window[field], best[key])
        selected = page.js("return [document.getElementById('Option1').checked, document.getElementById('Option2').checked]")
        checks.equal(f"{name}: the form selected", selected, [sides == "3", sides == "4"])
        # The window's build sheet is that design's.
        drawn, date = page_sheet(page)
        conductor = [] if conductors == "recommended" else ["--mm", conductors]
        sheet = cli(args, "sheet", best["frequency"], "--sides", sides, *conductor, "--format", "svg", "--date", date)
        checks.equal(f"{name}: the build sheet of the design used", svg_tree(drawn), svg_tree(sheet.stdout))
    page.element("cover-report").screenshot(str(pathlib.Path(args.artefacts) / "cover-report.png"))

    # Progress, then CANCEL: a search of many conductors, stopped while it goes.
    fresh_settings(page)
    set_settings(page, [("cover-bands", "144:148 222:225", ""), ("cover-conductors", "recommended,gauges", "")])
    page.element("cover-run").click()
    page.wait("progress", "return /^\\d+ of \\d+ model runs, best so far/.test("
              "document.getElementById('cover-status').textContent)", 60)
    bar = page.js("var p = document.getElementById('cover-progress'); "
                  "return [p.value, p.max, document.getElementById('cover-status').textContent];")
    told = re.match(r"(\d+) of (\d+) model runs", bar[2])
    checks.true(f"progress: the bar {bar[:2]} against {bar[2]!r}", told is not None and bar[0] >= 1 and
                bar[1] >= bar[0] and int(told.group(2)) == bar[1])
    page.element("cover-cancel").click()
    state = page.js(COVER_SCRIPT)
    checks.equal("cancel: status", state["status"], "Cancelled.")
    checks.true("cancel: nothing offered", not state["use"])
    page.act("set Text2 146")
    page.act("click Command7")
    checks.equal("after cancel: the window still computes", page.state()["fields"]["Text4"], "14")

    # Refusals: the command line's reason, each setting called by the page's name for it.
    for name, typed, conductors, words, names in (
            ("a band given backwards", "148:144", "recommended", ["--band", "148:144"], [("--band", "band")]),
            ("no band", "", "recommended", None, []),
            ("no conductor allowed", "144:148", "", ["--band", "144:148", "--conductors", ""],
             [("--conductors", "conductors")])):
        fresh_settings(page)
        set_settings(page, [("cover-bands", typed, ""), ("cover-conductors", conductors, "")])
        shown = run_cover(page)
        checks.true(f"{name}: refused, {shown['status']!r}", shown["status"].startswith("Not run: "))
        if words is None:
            checks.true(f"{name}: {shown['report']!r}", "band" in shown["report"])
            continue
        refused = cli(args, "cover", *words)
        checks.true(f"{name}: command line exit {refused.returncode}", refused.returncode != 0)
        expected = refused.stderr
        for option, word in names:
            expected = expected.replace(option, word)
        checks.true(f"{name}: {shown['report']!r} against {refused.stderr!r}", shown["report"] in expected)

    desktop_and_phone(page, args, checks, "cover", "cover-heading")


# Screens from a small phone to a desktop, and a laptop at 200 % zoom; the touch screens must give
# every target 44 px.
SCREENS = [("320", {"width": 320, "height": 640, "deviceScaleFactor": 2, "mobile": True}),
           ("390", {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True}),
           ("768", {"width": 768, "height": 1024, "deviceScaleFactor": 2, "mobile": True}),
           ("1024", {"width": 1024, "height": 768, "deviceScaleFactor": 1, "mobile": False}),
           ("1280", {"width": 1280, "height": 900, "deviceScaleFactor": 1, "mobile": False}),
           ("1280-at-200", {"width": 640, "height": 450, "deviceScaleFactor": 2, "mobile": False})]

SCREEN_SCRIPT = """
const seen = (e) => e.offsetParent !== null || getComputedStyle(e).position === 'fixed';
const right = (id) => document.getElementById(id).getBoundingClientRect().right;
const targets = [...document.querySelectorAll('#sheet button, #sheet select, #check button, #check select, '
  + '#check input:not([type=radio]):not([type=checkbox]), #check fieldset label, #check-downloads a, #check summary, '
  + '#cover-downloads a, #sheet-downloads a, '
  + '#guide a, #glossary summary')]
  .filter(seen).map((e) => { const r = e.getBoundingClientRect(); return [e.id || e.textContent.trim().slice(0, 30),
                                                                          r.width, r.height]; });
return {sideways: document.documentElement.scrollWidth - innerWidth, width: innerWidth,
        boxes: ['check-report', 'trim-report', 'cover-report', 'check-sweep', 'check-charts'].map((id) => [id, right(id)]),
        charts: [...document.querySelectorAll('.check-chart')].map((i) => [i.alt, i.getBoundingClientRect().width,
                                                                          i.naturalWidth]),
        form: Form1.getBoundingClientRect().width, targets,
        clipped: [...document.querySelectorAll('#Form1 input, #Form1 textarea')]
          .filter((e) => e.scrollWidth > e.clientWidth + 1).map((e) => [e.id, e.scrollWidth, e.clientWidth])};
"""


def scenario_widths(page, args, checks):
    """The guide after a check and a trim; with a report in each part, at every width from 320 px and
    at 200 % zoom: the page never scrolls sideways (a report, the table and the charts scroll by
    themselves), the window keeps its size where it fits, the charts fit a phone's screen and show
    at their own size at a tap, and a touch screen's targets are 44 px."""
    design(page, CASES[0][1])
    run_check(page)
    set_settings(page, [("trim-2to1-low", "134.1", ""), ("trim-2to1-high", "171.9", "")])
    run_trim(page)
    set_settings(page, [("cover-bands", "145:147", "")])
    run_cover(page)
    # The guide marks what this page has done, and its links leave the design's address alone.
    done = page.js("return [...document.querySelectorAll('#guide li')].filter((li) =>"
                   " !li.querySelector('.step-done').hidden).map((li) => li.dataset.step)")
    checks.equal("the guide's steps done", done, ["design", "check", "build", "trim"])
    address = page.js("return location.hash")
    page.js("document.querySelector('#guide a[href=\"#trim-heading\"]').click()")
    checks.equal("a guide link keeps the design's address", page.js("return location.hash"), address)
    # Scrolled to a fraction of a pixel: the heading may start just above the top.
    checks.true("a guide link shows its part", page.js(
        "const r = document.getElementById('trim-heading').getBoundingClientRect(); return r.top > -1 && r.top < innerHeight"))
    form_width = harness.pixels(harness.WINDOW["client"])[0]
    for name, metrics in SCREENS:
        page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
        page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": metrics["mobile"],
                                                                          "maxTouchPoints": 5})
        page.js("scrollTo(0, 0)")
        page.screenshot(f"screen-{name}-top.png")
        for part in ("check", "trim", "cover"):
            page.js("document.getElementById(arguments[0]).scrollIntoView()", f"{part}-summary")
            page.screenshot(f"screen-{name}-{part}.png")
        shown = page.js(SCREEN_SCRIPT)
        checks.true(f"{name}: the page scrolls {shown['sideways']} px sideways", shown["sideways"] <= 0)
        for box, edge in shown["boxes"]:
            checks.true(f"{name}: {box} ends at {edge:.0f} px, beyond the screen", edge <= shown["width"])
        # Where the window keeps its size its boxes clip as its own do; the phone's cut nothing.
        for box, needs, has in shown["clipped"] if shown["width"] <= 560 else []:
            checks.true(f"{name}: {box}'s text is cut: it needs {needs} px of {has}", False)
        if shown["width"] > 560:
            checks.equal(f"{name}: the window's width", shown["form"], form_width)
        else:
            for alt, width, natural in shown["charts"]:
                checks.true(f"{name}: chart {alt!r} drawn {width:.0f} px wide of {natural}: beyond the screen",
                            width <= min(natural, shown["width"]) + 0.5)
            # A tap shows a chart at its own size, its 12 px text as drawn, and the next fits it again.
            tapped = "const i = document.querySelector('.check-chart'); i.click(); return i.clientWidth"
            full, fitted = page.js(tapped), page.js(tapped)
            natural = shown["charts"][0][2]
            checks.true(f"{name}: a tapped chart drawn {full:.0f} px wide of {natural}, then {fitted:.0f}",
                        abs(full - natural) < 0.5 and fitted <= shown["width"])
            # The short report is the sweep's table, SWR column and all; the full text a tap away.
            checks.true(f"{name}: the sweep's table wider than its box", page.js(
                "const t = document.getElementById('check-sweep'); return t.scrollWidth <= t.clientWidth"))
            checks.equal(f"{name}: the full report shown, then with FULL REPORT", page.js(
                "const r = document.getElementById('check-report'), b = document.getElementById('check-full');"
                "const seen = () => r.offsetParent !== null; const before = seen(); b.click(); const after = seen();"
                "b.click(); return [before, after, seen()]"), [False, True, False])
        if metrics["mobile"]:
            for target, width, height in shown["targets"]:
                checks.true(f"{name}: {target!r} is {width:.0f} x {height:.0f}, under 44 x 44",
                            width >= 44 and height >= 44)
    page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": False})


# What the worker's helpers are made of (the worker's script runs in each), as a browser that refuses
# them leaves them: one that fails at once (WebKit, "Not allowed to load local resource"), one that
# never answers.
REFUSED_HELPERS = {
    "refused at once": "if (self.name === 'brimalox helper') throw new Error('Not allowed to load local resource');\n",
    "never answering": "if (self.name === 'brimalox helper') for (;;) {}\n",
}


def scenario_helpers(page, args, checks):
    """Helper workers the browser refuses: the check falls back to the engines that work, down to the
    worker's own, and ends with the command line's report long before the time limit."""
    with tempfile.TemporaryDirectory() as folder:
        expected = simulate(args, ["146", "--sides", "3"], pathlib.Path(folder))[0].stdout
    for name, refusal in REFUSED_HELPERS.items():
        page.open()
        design(page, CASES[0][1])
        page.js("brimalox.worker.stop(false); const w = document.getElementById('check-worker');"
                " w.textContent = arguments[0] + w.textContent;", refusal)
        began = time.monotonic()
        shown = run_check(page, timeout=100)
        checks.equal(f"{name}: the report", shown["report"], expected)
        checks.equal(f"{name}: engines sharing the sweep", page.js("return brimalox.worker.sharedParts()"), 1)
        print(f"helpers {name}: the check ended in {time.monotonic() - began:.1f} s")


SCENARIOS = {"differential": scenario_differential, "use": scenario_use, "sheet": scenario_sheet,
             "trim": scenario_trim, "cover": scenario_cover, "widths": scenario_widths, "helpers": scenario_helpers}


if __name__ == "__main__":
    sys.exit(main(SCENARIOS, __doc__))
