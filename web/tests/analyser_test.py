#!/usr/bin/python3
"""The page's analyser in headless Chromium, through a stand-in for Web Serial that speaks the
NanoVNA's shell (analyser_standin.js), measuring the model of the 146 MHz design built 3 % long, seen
at the rig through its lines and a 4:1 balun: the sweep taken as a file is, the check and the trim
as brimalox-cli gives them for the saved sweep, and every failure named with what was shown kept.
Every figure comes from the programs, none from this file.

Usage: analyser_test.py --scenario NAME (and the options of page_test.py)
"""

import json
import pathlib
import re
import sys
import tempfile

import harness  # tests/ is on PYTHONPATH
from harness.page import main
from check_test import cli, design, fetched, fresh_settings, run_trim, set_settings

DESIGN_CLICKS = ["set Text2 146", "click Command7", "set Text8 1.626", "click Command3", "select Option1",
                 "click Command4"]
DESIGN = ["146", "--sides", "3", "--mm", "1.626"]
FEED = [("check-balun", "4", "--balun"), ("check-feed-line", "300,0.82,421.2329", "--feed-line")]
FEED_OPTIONS = [word for _, text, option in FEED for word in (option, text)]
# 3 % long: every length 1.03006 times, which is the design for 146 / 1.03 MHz in the same wire.
TRUE_RATIO = 1 / 1.03006

# Each failure, and the words the command line's and the window's tests hold it to.
FAULTS = [("garbage", "it answers a CR with \"\\x01\\xfe"), ("silent", "no answer to a CR within 3 s"),
          ("cut short", "the sweep stopped after 30 of 61 points"),
          ("refuses", "the analyser refused \"scan 116800000 204400000 61 3\": sweep points exceeds range 101")]

STATE = """
const text = (id) => document.getElementById(id).textContent;
return {status: text('analyser-status'), answer: text('analyser-answer'), report: text('check-report'),
        connect: document.getElementById('analyser-connect').textContent,
        once: !document.getElementById('analyser-once').disabled,
        stop: !document.getElementById('analyser-stop').disabled,
        save: document.getElementById('analyser-save').hidden ? '' : document.getElementById('analyser-save').href,
        scans: window.brimaloxStandIn ? window.brimaloxStandIn.scans : 0};
"""


def standin(args, folder):
    """The stand-in's script, measuring the built antenna's model at the rig."""
    model = pathlib.Path(folder) / "model-at-rig.s1p"
    made = cli(args, "simulate", "141.748", "--sides", "3", "--mm", "1.626", *FEED_OPTIONS, "--from", "100", "--to", "220", "--step", "0.5", "--touchstone", str(model))
    if made.returncode:
        raise harness.Failure(made.stderr)
    rows = []
    for line in model.read_text().splitlines():
        words = line.split()
        if words and words[0][0].isdigit():
            rows.append([float(words[0]) * 1e6, float(words[1]), float(words[2])])
    header = next(line for line in model.read_text().splitlines() if line.startswith("#"))
    if header.split()[1:] != ["MHz", "S", "RI", "R", "50"]:
        raise harness.Failure(f"the model file is not S11 in MHz against 50 ohms: {header}")
    script = (pathlib.Path(__file__).parent / "analyser_standin.js").read_text()
    return script.replace("BRIMALOX_ANTENNA", json.dumps(rows)), rows


def sweep_once(page, then="the sweep to end"):
    """SWEEP ONCE, to its end with the model's runs after it."""
    page.js("document.getElementById('analyser-status').textContent = ''")
    page.element("analyser-once").click()
    page.wait(then, "const said = document.getElementById('analyser-status').textContent; return said !== '' && "
              "!said.startsWith('Sweeping') && document.getElementById('analyser-stop').disabled", 120)
    return page.js(STATE)


def scenario_unavailable(page, args, checks):
    """A browser with no Web Serial says so and points to a file."""
    added = page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument",
                                        {"source": "delete Navigator.prototype.serial;"})
    try:
        page.open()
        shown = page.js(STATE)
        checks.true("CONNECT AN ANALYSER greyed", not page.element("analyser-connect").is_enabled())
        checks.true("the browser's lack said, and the file's way", "has no Web Serial" in shown["status"] and
                    "choose it above" in shown["status"])
    finally:
        page.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument", {"identifier": added["identifier"]})


def scenario_analyser(page, args, checks):
    """Connect, sweep once, and the check and the trim of the sweep are the command line's for the
    saved file; the trim's answer near the truth; the faults said, what was shown kept; continuous
    sweeps until STOP; an unplug mid-sweep; a busy port."""
    page.driver.set_script_timeout(30)
    with tempfile.TemporaryDirectory() as folder:
        script, rows = standin(args, folder)
        added = page.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": script})
        try:
            page.open()
            walk(page, args, checks, pathlib.Path(folder), rows)
        finally:
            page.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                        {"identifier": added["identifier"]})


def held_to_cli(page, args, checks, kind, shown, saved, rows, name):
    """The saved sweep is what the stand-in measured, to the printed places, and the check and the
    trim's answer are brimalox-cli's for that file."""
    saved.write_text(fetched(page, shown["save"]))
    points = [line.split() for line in saved.read_text().splitlines() if line[:1].isdigit()]
    plan = [116800000 + (204400000 - 116800000) * i // 60 for i in range(61)]
    checks.equal(f"{kind}: the swept frequencies", [int(p[0]) for p in points], plan)
    worst = 0.0
    for hz, re_, im in ((float(p[0]), float(p[1]), float(p[2])) for p in points):
        i = next(k for k, row in enumerate(rows) if row[0] >= hz)
        a, b = rows[i - 1], rows[i]
        t = (hz - a[0]) / (b[0] - a[0])
        worst = max(worst, abs(re_ - (a[1] + t * (b[1] - a[1]))), abs(im - (a[2] + t * (b[2] - a[2]))))
    checks.true(f"{kind}: the sweep as measured (worst {worst:.2e})", worst <= 1e-9)
    expected = cli(args, "simulate", *DESIGN, *FEED_OPTIONS, "--measured", str(saved))
    checks.equal(f"{kind}: the check of the sweep", shown["report"], expected.stdout.replace(str(saved), name))
    as_json = json.loads(cli(args, "trim", *DESIGN, *FEED_OPTIONS, "--measured", str(saved), "--format", "json").stdout)
    checks.true(f"{kind}: the answer's ratio is the command line's: {shown['answer']}",
                shown["answer"].startswith(f"ratio {as_json['ratio']:.4f}, "))
    checks.true(f"{kind}: the ratio near the truth {TRUE_RATIO:.4f}: {as_json['ratio']}",
                abs(as_json["ratio"] - TRUE_RATIO) < 0.005)


def walk(page, args, checks, folder, rows):
    fresh_settings(page)
    design(page, DESIGN_CLICKS)
    set_settings(page, FEED)
    page.element("analyser-connect").click()
    page.wait("the analyser to connect", "return document.getElementById('analyser-status').textContent"
              ".startsWith('Connected')")
    shown = sweep_once(page)
    checks.true(f"the sweep said: {shown['status']}",
                re.match(r"Swept 61 points from NanoVNA-H on NanoVNA \(text shell\) on USB "
                         r"0483:5740, calibrated at the plane it measured", shown["status"]))
    page.js("document.getElementById('analyser').scrollIntoView()")
    page.screenshot("analyser.png")
    saved, name = folder / "shell.s1p", "NanoVNA (text shell) on USB 0483:5740 (NanoVNA-H)"
    held_to_cli(page, args, checks, "the shell", shown, saved, rows, name)
    trimmed = run_trim(page)
    expected = cli(args, "trim", *DESIGN, *FEED_OPTIONS, "--measured", str(saved))
    checks.equal("TRIM of the sweep", trimmed["report"], expected.stdout.replace(str(saved), name))

    for fault, says in FAULTS:
        page.js("window.brimaloxStandIn.fault = arguments[0]", fault)
        failed = sweep_once(page, f"the sweep with {fault} to fail")
        checks.true(f"{fault}: said: {failed['status']}", failed["status"].startswith("The sweep failed: ") and
                    says in failed["status"] and failed["status"].endswith("The last sweep stays."))
        checks.equal(f"{fault}: the report kept", failed["report"], shown["report"])
        checks.equal(f"{fault}: the answer kept", failed["answer"], shown["answer"])
        checks.true(f"{fault}: still connected", failed["once"])

    page.js("window.brimaloxStandIn.fault = ''")
    scans = page.js(STATE)["scans"]
    page.element("analyser-continuous").click()
    page.wait("two sweeps more", f"return window.brimaloxStandIn.scans >= {scans + 2}", 120)
    page.element("analyser-stop").click()
    page.wait("STOP to end the sweeps", "return document.getElementById('analyser-status').textContent"
              ".startsWith('Stopped') && !document.getElementById('analyser-once').disabled", 30)

    page.js("window.brimaloxStandIn.fault = 'unplug'")
    unplugged = sweep_once(page, "the unplugged sweep to fail")
    checks.true(f"unplugged: said: {unplugged['status']}",
                unplugged["status"].startswith("The sweep failed: ") and "lost" in unplugged["status"])
    checks.equal("unplugged: CONNECT offered again", unplugged["connect"], "CONNECT AN ANALYSER")
    checks.equal("unplugged: the report kept", unplugged["report"], shown["report"])

    page.js("window.brimaloxStandIn.fault = 'busy'")
    page.element("analyser-connect").click()
    page.wait("the busy port to be said", "return document.getElementById('analyser-status').textContent"
              ".includes('cannot be opened')")
    checks.true("busy: another program named", "Is another program using it?" in page.js(STATE)["status"])

    page.js("window.brimaloxStandIn.fault = ''; window.brimaloxStandIn.kind = 'v2'")
    page.element("analyser-connect").click()
    page.wait("the V2 to connect", "return document.getElementById('analyser-status').textContent"
              ".startsWith('Connected')")
    v2 = sweep_once(page)
    checks.true(f"the V2's sweep said: {v2['status']}",
                v2["status"].startswith("Swept 61 points from NanoVNA V2 family (variant 2, protocol 1, hardware 3, "
                                        "firmware 1.5) on NanoVNA V2 or LiteVNA (binary) on USB 04b4:0008"))
    held_to_cli(page, args, checks, "the V2", v2, folder / "v2.s1p", rows,
                "NanoVNA V2 or LiteVNA (binary) on USB 04b4:0008 (NanoVNA V2 family (variant 2, protocol 1, hardware 3, "
                "firmware 1.5))")


SCENARIOS = {"analyser": scenario_analyser, "unavailable": scenario_unavailable}


if __name__ == "__main__":
    sys.exit(main(SCENARIOS, __doc__))
