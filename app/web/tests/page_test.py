#!/usr/bin/python3
"""The web page brimalox.html in headless Chromium, driven through Selenium as a person drives it:
opened from disk, typed into, clicked, tabbed through. Its field texts and click outcomes are
compared with brimalox-cli replay's after every action, and its failure messages with the
WebAssembly module's own (run alone in Node), so every number and word comes from the programs,
none from this file. Screenshots are kept in the artefacts folder.

Usage: page_test.py --scenario NAME --page brimalox.html --cli brimalox-cli --node node
                    --module brimalox_core.js --chromium BINARY --chromedriver BINARY
                    --artefacts DIR --version X.Y.Z
"""

import argparse
import base64
import json
import pathlib
import random
import re
import subprocess
import sys
import tempfile
import time
from xml.etree import ElementTree

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

TWIPS_PER_PIXEL = 15
TITLE = "BRIMALOX ANTENNA" + " " * 14 + "by" + " " * 17 + "QZ9ZZQ"
CHROMIUM_FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                  "--disable-background-networking", "--disable-component-update", "--disable-sync",
                  "--disable-dev-shm-usage"]

# The window's controls as laid out: accessible role and name, the text a box shows at start, and
# the outer rectangle in twips (Left, Top, Width, Height) from the client area's top-left corner.
LAYOUT = [
    ("Text24", "textbox", "BRIMALOX ANTENNA by QZ9ZZQ", TITLE, (0, 0, 8055, 285)),
    ("Text1", "textbox", "INPUT FREQUENCY IN MHZ", "INPUT FREQUENCY IN MHZ", (360, 480, 3135, 375)),
    ("Text2", "textbox", "Frequency in MHz", "146.00", (3840, 480, 1335, 375)),
    ("Command7", "button", "ACCEPT", "ACCEPT", (5640, 480, 1575, 375)),
    ("Option1", "radio", "THREE SIDED", "THREE SIDED", (840, 960, 1455, 375)),
    ("Option2", "radio", "FOUR SIDED", "FOUR SIDED", (2760, 960, 1335, 375)),
    ("Line2", "separator", "", None, (120, 1440, 7680, 15)),
    ("Text3", "textbox", "RECOMMENDED MINIMUM WIRE/TUBE", "RECOMMENDED MINIMUM WIRE/TUBE", (120, 1560, 4335, 375)),
    ("Picture1", "image", "Antenna diagram", None, (5160, 1680, 2610, 3555)),
    ("Text4", "textbox", "Wire gauge, AWG", "14", (120, 2040, 855, 375)),
    ("Text5", "textbox", "AWG", "AWG", (1080, 2160, 615, 255)),
    ("Text6", "textbox", "Conductor diameter in inches", ".064", (1800, 2040, 855, 375)),
    ("Text7", "textbox", "INCH", "INCH", (2760, 2160, 615, 285)),
    ("Text8", "textbox", "Conductor diameter in millimetres", "1.626", (3480, 2040, 855, 405)),
    ("Text9", "textbox", "MM", "MM", (4440, 2160, 495, 285)),
    ("Command1", "button", "CHANGE AWG", "CHANGE", (120, 2520, 855, 375)),
    ("Command2", "button", "CHANGE INCH", "CHANGE", (1800, 2520, 855, 375)),
    ("Command3", "button", "CHANGE MM", "CHANGE", (3480, 2520, 855, 375)),
    ("Command4", "button", "COMPUTE", "COMPUTE", (1680, 3120, 1935, 375)),
    ("Text10", "textbox", "HEIGHT", "HEIGHT", (0, 3720, 975, 255)),
    ("Text11", "textbox", "Height in inches", "00.00", (1320, 3720, 975, 285)),
    ("Text12", "textbox", "IN", "IN", (2400, 3720, 375, 285)),
    ("Text13", "textbox", "Height in millimetres", "00.00", (3120, 3720, 1215, 285)),
    ("Text14", "textbox", "MM", "MM", (4440, 3720, 375, 285)),
    ("Text15", "textbox", "SIDE", "SIDE", (120, 4200, 855, 285)),
    ("Text16", "textbox", "Side in inches", "00.00", (1320, 4200, 975, 285)),
    ("Text17", "textbox", "Side in millimetres", "00.00", (3120, 4200, 1215, 285)),
    ("Text18", "textbox", "GAP", "GAP", (120, 4680, 855, 255)),
    ("Text19", "textbox", "Gap in inches", "00.00", (1320, 4680, 975, 285)),
    ("Text20", "textbox", "Gap in millimetres", "00.00", (3120, 4680, 1215, 285)),
    # A text area keeps its line break as LF; the page hands it to the core as CR LF.
    ("Text21", "textbox", "300 OHM SERIES MATCH LENGHT", "300 OHM SERIES MATCH LENGHT\n", (0, 5160, 1095, 855)),
    ("Text22", "textbox", "300 ohm series match length in inches", "00.00", (1320, 5520, 975, 285)),
    ("Text23", "textbox", "300 ohm series match length in millimetres", "00.00", (3120, 5520, 1215, 285)),
    ("Command5", "button", "WEBSITE", "WEBSITE", (5040, 5520, 1215, 375)),
    ("Command6", "button", "NOTES", "NOTES", (6480, 5520, 1215, 375)),
]

# Colours, alignment, font size in CSS pixels (9.75 pt is 13 px), slant and border of the text boxes.
PEACH, CYAN, WHITE = "rgb(255, 224, 192)", "rgb(192, 255, 255)", "rgb(255, 255, 255)"
BLUE, RED, ORANGE, BLACK = "rgb(0, 0, 255)", "rgb(255, 0, 0)", "rgb(255, 128, 0)", "rgb(0, 0, 0)"
BOX_LOOKS = {
    "Text24": (CYAN, BLUE, "center", 16, True, False),
    "Text1": (PEACH, BLUE, "left", 13, False, False),
    "Text2": (WHITE, RED, "center", 13, False, True),
    "Text3": (PEACH, BLUE, "left", 13, False, False),
    "Text4": (WHITE, ORANGE, "center", 13, False, True),
    "Text5": (PEACH, BLACK, "left", 13, False, False),
    "Text6": (WHITE, ORANGE, "center", 13, False, True),
    "Text7": (PEACH, BLACK, "left", 11, False, False),
    "Text8": (WHITE, ORANGE, "center", 13, False, True),
    "Text9": (PEACH, BLACK, "left", 13, False, False),
    "Text10": (PEACH, BLUE, "right", 13, False, False),
    "Text11": (WHITE, RED, "center", 13, False, True),
    "Text12": (PEACH, BLACK, "left", 13, False, False),
    "Text13": (WHITE, RED, "center", 13, False, True),
    "Text14": (PEACH, BLACK, "left", 13, False, False),
    "Text15": (PEACH, BLUE, "right", 13, False, False),
    "Text16": (WHITE, RED, "center", 13, False, True),
    "Text17": (WHITE, RED, "center", 13, False, True),
    "Text18": (PEACH, BLUE, "right", 13, False, False),
    "Text19": (WHITE, RED, "center", 13, False, True),
    "Text20": (WHITE, RED, "center", 13, False, True),
    "Text21": (PEACH, BLUE, "right", 11, False, False),
    "Text22": (WHITE, RED, "center", 13, False, True),
    "Text23": (WHITE, RED, "center", 13, False, True),
}

# The Tab key's order (every control but the line). The option buttons are one group and one Tab
# stop: the first while neither is selected, else the selected one.
TAB_ORDER = ["Text1", "Text2", "Picture1", "Text3", "Text4", "Text5", "Text6", "Text7", "Text8", "Text9",
             "Command1", "Command2", "Command3", "Command4", "Text10", "Text11", "Text12", "Text13",
             "Text14", "Text15", "Text16", "Text17", "Text18", "Text19", "Text20", "Text21", "Text22",
             "Text23", "Command5", "Command6", "Command7", "Text24", "Option1"]
VALUE_FIELDS = ["Text2", "Text4", "Text6", "Text8", "Text11", "Text13", "Text16", "Text17", "Text19", "Text20",
                "Text22", "Text23"]
BUTTONS = ["Command%d" % n for n in range(1, 8)]

NOTES_LINES = [
    ("THE ANTENNA IS FED AT ALL THE GAPS WITH 300 OHM LADDER LINE (TV flat line).", 1),
    ("DO NOT USE WIRE OR TUBE SMALLER THAN THE RECOMMENDED SIZE AFTER YOU ACCEPT", 1),
    ("THE INPUT FREQUENCY. THIS IS THE SMALLEST SIZE THAT WILL KEEP THE SWR BELOW 2:1", 1),
    ("( 1.6 to 1.8).  THE LARGER THE ELEMENT DIAMETER, THE LOWER THE SWR WILL GO UNTIL", 1),
    ("1:1. WITH MAXIMUM ELEMENT DIAMETER, THE BANDWIDTH CAN EXCEED 60 MHZ!", 1),
    ("THE 146 MHZ DESIGN COVERS FROM 134 to over 200 MHZ under 2:1 EXCEPT FOR A SMALL", 1),
    ("PEAK AT 161.", 136),
    ("The 4 sided version covers approximately from -30mhz to plus 50 mhz. You can design", 1),
    ("for 170 mhz and cover both the 2m and 220 band. The higher end starts to elevate the main", 19),
    ("lobe from the horizon to about 30 degrees. This can be compensated for by keeping the", 1),
    ("antenna down below 15 feet or 5  meters above ground (the 2m 220 version)", 1),
    ("AFTER ACCEPTING THE FREQUENCY, YOU MAY INCREASE THE WIRE SIZE BY INPUTING A", 1),
    ("NEW SIZE IN THE INCH, MM, OR AWG BOXES AND CLICKING THE CHANGE BOX BELOW THE", 1),
    ("VALUE. FOR WIRE AWG LARGER THAN \"0\" MAY BE ENTERED as \"9009\", \"90009\" or \"900009'", 0),
    ("GAIN IS APPROXIMATELY 7.6 DB", 0),
]
# As a text area holds it: LF line ends.
NOTES_TEXT = "".join(text + " " * blanks + "\n" for text, blanks in NOTES_LINES)

# The road of one design, then COMPUTE on the worked examples: the start-up texts both ways, thicker
# and thinner conductors, a negative frequency, no option selected, and a large design.
ROAD = ["set Text2 50", "click Command7", "set Text4 8", "click Command1", "select Option1", "click Command4"]
COMPUTE_EXAMPLES = {
    "start-up texts, THREE SIDED": ["select Option1", "click Command4"],
    "start-up texts, FOUR SIDED": ["select Option2", "click Command4"],
    "20 mm, THREE SIDED": ["set Text8 20", "select Option1", "click Command4"],
    "100 mm, FOUR SIDED": ["set Text8 100", "select Option2", "click Command4"],
    "0 mm, THREE SIDED": ["set Text8 0", "select Option1", "click Command4"],
    "-146 MHz, THREE SIDED": ["set Text2 -146", "select Option1", "click Command4"],
    "no option, then FOUR SIDED twice": ["click Command4", "select Option2", "click Command4", "click Command4"],
    "1.8 MHz, 131.883 mm": ["set Text2 1.8", "set Text8 131.883", "select Option1", "click Command4"],
}


class Failure(Exception):
    pass


class Checks:
    def __init__(self):
        self.failures = []

    def equal(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f"{what}: got {actual!r}, expected {expected!r}")

    def true(self, what, condition):
        if not condition:
            self.failures.append(what)


def replay(args, lines):
    """brimalox-cli replay's fields and clicks after the given script lines."""
    script = "".join(line + "\n" for line in lines)
    out = subprocess.run([args.cli, "replay"], input=script, capture_output=True, text=True, check=True)
    return json.loads(out.stdout)


def module_outcomes(args, lines):
    """The module's own outcome of each click of the script: message and window asked for."""
    script = "".join(line + "\n" for line in lines)
    out = subprocess.run([args.node, str(pathlib.Path(__file__).with_name("module_outcomes.js")), args.module],
                         input=script, capture_output=True, text=True, check=True)
    return json.loads(out.stdout)


STATE_SCRIPT = """
const value = (id) => document.getElementById(id).value;
const fields = {};
for (const id of arguments[0]) fields[id] = value(id);
const failure = document.getElementById('failure');
const paragraphs = [...failure.querySelectorAll('#failure-text p')].map((p) => p.textContent);
return {fields, failure: failure.open ? paragraphs.join('\\n\\n') : null,
        notes: document.getElementById('no').open, website: document.getElementById('website').open,
        focus: document.activeElement ? document.activeElement.id : null};
"""


class Page:
    """The page in one headless Chromium."""

    def __init__(self, args, width=1280, height=800, network_log=False):
        self.args = args
        self.profile = tempfile.TemporaryDirectory(prefix="brimalox-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = args.chromium
        for flag in CHROMIUM_FLAGS:
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile.name}")
        options.add_argument(f"--window-size={width},{height}")
        if network_log:
            options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
        self.driver = webdriver.Chrome(service=Service(executable_path=args.chromedriver), options=options)
        self.url = pathlib.Path(args.page).resolve().as_uri()
        self.open()

    def open(self):
        """Loads the page afresh (a new module, the start-up texts) and waits for its buttons."""
        self.driver.get(self.url)
        self.wait("the buttons to be enabled once the core has loaded",
                  "return [...document.querySelectorAll('#Form1 button')].every((b) => !b.disabled)")

    def close(self):
        self.driver.quit()
        self.profile.cleanup()

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def wait(self, what, script, timeout=10):
        try:
            WebDriverWait(self.driver, timeout, poll_frequency=0.01).until(lambda d: d.execute_script(script))
        except TimeoutException:
            raise Failure(f"timed out waiting for {what}") from None

    def element(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def state(self, fields=VALUE_FIELDS):
        return self.js(STATE_SCRIPT, fields)

    def type(self, field, text):
        box = self.element(field)
        box.clear()
        if text:
            box.send_keys(text)

    def act(self, line):
        """One line of a replay script, done as a person does it."""
        verb, _, rest = line.partition(" ")
        if verb == "set":
            name, _, text = rest.partition(" ")
            self.type(name, text)
        elif verb == "select":
            self.element(rest).click()
        elif verb == "click":
            self.element(rest).click()
        else:
            raise Failure(f"script line not understood: {line}")

    def dismiss_failure(self):
        self.driver.find_element(By.CSS_SELECTOR, "#failure .ok").click()
        self.wait("the failure message to close", "return !document.getElementById('failure').open")

    def close_windows(self):
        """Closes the website window if open: it stands over the main window's controls."""
        if self.js("return document.getElementById('website').open"):
            self.driver.find_element(By.CSS_SELECTOR, "#website .ok").click()

    def screenshot(self, name):
        directory = pathlib.Path(self.args.artefacts)
        directory.mkdir(parents=True, exist_ok=True)
        self.driver.save_screenshot(str(directory / name))


def run_script(page, args, checks, name, lines, seen=None):
    """Runs a replay script on the page; after every action the value fields and the clicks so far
    must be replay's, and each failed click must show the module's message. Counts in `seen` what
    the script did: actions, clicks of each button, failed clicks."""
    outcomes = module_outcomes(args, lines)
    seen = seen if seen is not None else {}
    clicks = []
    for index, line in enumerate(lines):
        page.act(line)
        state = page.state()
        if line.startswith("click "):
            outcome = outcomes[len(clicks)]
            clicks.append({"button": line.split()[1], "ok": state["failure"] is None})
            seen[clicks[-1]["button"]] = seen.get(clicks[-1]["button"], 0) + 1
            seen["failed"] = seen.get("failed", 0) + (state["failure"] is not None)
            checks.equal(f"{name}, after {line!r} (action {index + 1}): failure message", state["failure"],
                         outcome["message"])
            if state["failure"] is not None:
                page.dismiss_failure()
            if outcome["window"] == "notes":
                checks.true(f"{name}, after {line!r}: no notes window", state["notes"])
            if outcome["window"] == "website":
                checks.true(f"{name}, after {line!r}: no website window", state["website"])
                page.close_windows()
        expected = replay(args, lines[: index + 1])
        checks.equal(f"{name}, after {line!r} (action {index + 1}): fields", state["fields"], expected["fields"])
        checks.equal(f"{name}, after {line!r} (action {index + 1}): clicks went through",
                     [c["ok"] for c in clicks], [c["ok"] for c in expected["clicks"]])
    return len(lines)


def rect_script():
    return """
const form = document.getElementById('Form1').getBoundingClientRect();
const out = {Form1: [form.left, form.top, form.width, form.height]};
for (const id of arguments[0]) {
  const element = document.getElementById(id);
  const box = (element.type === 'radio' ? element.closest('label') : element).getBoundingClientRect();
  out[id] = [box.left - form.left, box.top - form.top, box.width, box.height];
}
return out;
"""


def expected_pixels(twips, scale=1.0):
    return [value / TWIPS_PER_PIXEL * scale for value in twips]


def close_enough(actual, expected, tolerance=0.01):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def scenario_layout(page, args, checks):
    """Every control at its place with its text, look, accessible name and purpose; the diagram;
    nothing fetched from anywhere."""
    checks.equal("focus when the page opens", page.js("return document.activeElement.id"), "Text2")
    ids = [row[0] for row in LAYOUT]
    rects = page.js(rect_script(), ids)
    checks.equal("Form1 size", rects["Form1"][2:], [535, 402])
    for control, role, name, text, twips in LAYOUT:
        expected = expected_pixels(twips)
        if control == "Text24":
            expected[2] = 537  # wider than the client area; the window's edge cuts it off
        checks.true(f"{control} at {rects[control]}, expected {expected}", close_enough(rects[control], expected))
        element = page.element(control)
        checks.equal(f"{control} role", element.aria_role, role)
        checks.equal(f"{control} accessible name", element.accessible_name, name)
        if text is not None:
            if control.startswith("Text"):
                shown = element.get_property("value")
            elif control.startswith("Option"):
                shown = page.js("return arguments[0].closest('label').textContent", element)
            else:
                shown = element.text
            checks.equal(f"{control} text at start", shown, text)
    checks.equal("options selected at start",
                 page.js("return [Option1.checked, Option2.checked]"), [False, False])
    checks.equal("radio group", page.js("return [Option1.name, Option2.name].every((n) => n && n === Option1.name)"),
                 True)

    looks = page.js("""
const out = {};
for (const id of arguments[0]) {
  const s = getComputedStyle(document.getElementById(id));
  out[id] = [s.backgroundColor, s.color, s.textAlign, parseFloat(s.fontSize), s.fontStyle === 'italic',
             parseFloat(s.borderTopWidth) > 0, s.fontWeight, s.fontFamily];
}
return out;""", list(BOX_LOOKS))
    for control, (background, colour, align, size, italic, framed) in BOX_LOOKS.items():
        got = looks[control]
        checks.equal(f"{control} look (background, colour, alignment, size, italic, border)",
                     got[:6], [background, colour, align, size, italic, framed])
        checks.equal(f"{control} weight", got[6], "700")
        checks.true(f"{control} font {got[7]} is not MS Sans Serif first", got[7].startswith('"MS Sans Serif"'))
    window = page.js("const s = getComputedStyle(Form1);"
                     "return [s.backgroundColor, parseFloat(s.fontSize), s.fontWeight]")
    checks.equal("Form1 background, font size and weight", window, [PEACH, 11, "400"])
    checks.equal("buttons in the window's font", page.js(
        "return [...document.querySelectorAll('#Form1 button')].map((b) => getComputedStyle(b).fontSize)"),
        ["11px"] * 7)

    purposes = page.js("""
return Object.fromEntries([...document.querySelectorAll('#Form1 button, #Picture1')].map((e) => [e.id,
  (e.getAttribute('aria-describedby') || '').split(' ').map((id) => document.getElementById(id))
    .filter(Boolean).map((d) => d.textContent).join(' ')]));""")
    for control in BUTTONS:
        caption = next(row[3] for row in LAYOUT if row[0] == control)
        checks.true(f"{control}: purpose {purposes[control]!r} does not say what {caption} does",
                    purposes[control].startswith(caption) and len(purposes[control]) > len(caption) + 10)
    checks.true("Picture1 has no description", len(purposes["Picture1"]) > 10)

    # The diagram: inside the 2-pixel sunken edge, at its natural 170 x 233, lines and its three words.
    diagram = page.js("""
const p = Picture1.getBoundingClientRect(), s = Picture1.querySelector('svg').getBoundingClientRect();
const words = [...Picture1.querySelectorAll('.diagram-word')];
return {offset: [s.left - p.left, s.top - p.top, s.width, s.height],
        lines: Picture1.querySelectorAll('line').length,
        words: words.map((w) => w.textContent),
        patches: words.map((w) => getComputedStyle(w).backgroundColor),
        edge: getComputedStyle(Picture1).borderTopWidth};""")
    checks.equal("diagram inside the picture box's edge", diagram["offset"], [2, 2, 170, 233])
    checks.equal("diagram words", diagram["words"], ["HEIGHT", "SIDE", "GAP"])
    checks.equal("diagram words on white", diagram["patches"], [WHITE] * 3)
    checks.true(f"diagram has {diagram['lines']} lines", diagram["lines"] >= 20)
    checks.equal("picture box edge", diagram["edge"], "2px")

    # The buttons are disabled in the file itself, so that no click is lost before the core is there.
    markup = pathlib.Path(args.page).read_text(encoding="utf-8")
    checks.equal("buttons disabled until the core has loaded",
                 sorted(re.findall(r'<button type="button" id="(Command\d)"[^>]* disabled>', markup)), sorted(BUTTONS))

    # One file: nothing was fetched but the page itself.
    requests = []
    for entry in page.driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent" and message["params"].get("documentURL") == page.url:
            requests.append(message["params"]["request"]["url"])
    checks.equal("requests made by the page", [u for u in requests if not u.startswith("data:")], [page.url])


def scenario_keyboard(page, args, checks):
    """Tab order, Space and Enter on buttons, arrow keys in the option group."""
    actions = ActionChains(page.driver)
    page.element("Text1").click()
    visited = ["Text1"]
    for _ in TAB_ORDER[1:] + ["back to the start"]:
        actions.send_keys(Keys.TAB).perform()
        visited.append(page.js("return document.activeElement.id"))
    checks.equal("Tab order", visited[: len(TAB_ORDER)], TAB_ORDER)
    checks.true(f"Tab after the option group went to {visited[-1]}, not out of the window",
                visited[-1] in ("", "Text1", "sheet-build"))
    actions.key_down(Keys.SHIFT).send_keys(Keys.TAB).key_up(Keys.SHIFT).perform()
    page.element("Option1").click()
    page.element("Text24").click()
    actions.send_keys(Keys.TAB).perform()
    checks.equal("Tab into the group lands on the selected option", page.js("return document.activeElement.id"),
                 "Option1")
    actions.send_keys(Keys.ARROW_DOWN).perform()
    checks.equal("arrow down selects FOUR SIDED",
                 page.js("return [document.activeElement.id, Option1.checked, Option2.checked]"),
                 ["Option2", False, True])
    actions.send_keys(Keys.ARROW_UP).perform()
    checks.equal("arrow up selects THREE SIDED again", page.js("return [Option1.checked, Option2.checked]"),
                 [True, False])

    # Space on ACCEPT, Enter on the CHANGE below AWG: the same texts as replay's.
    page.type("Text2", "50")
    page.js("Command7.focus()")
    actions.send_keys(Keys.SPACE).perform()
    expected = replay(args, ["set Text2 50", "click Command7"])["fields"]
    checks.equal("Space on ACCEPT", page.state()["fields"], expected)
    page.type("Text4", "8")
    page.js("Command1.focus()")
    actions.send_keys(Keys.ENTER).perform()
    expected = replay(args, ["set Text2 50", "click Command7", "set Text4 8", "click Command1"])["fields"]
    checks.equal("Enter on the CHANGE below AWG", page.state()["fields"], expected)


def scenario_road(page, args, checks):
    """The design road and the worked examples of COMPUTE, each on a freshly opened page."""
    count = run_script(page, args, checks, "road", ROAD)
    for name, lines in COMPUTE_EXAMPLES.items():
        page.open()
        count += run_script(page, args, checks, name, lines)
    print(f"{count} actions match replay")


def scenario_failure(page, args, checks):
    """A failed click: its partial writes, the module's words in an alert with OK, the focus back
    where it was, and the page working on."""
    lines = ["set Text2 146", "set Text8 x", "select Option1", "click Command4"]
    for line in lines[:-1]:
        page.act(line)
    before = page.state()["fields"]
    page.act(lines[-1])
    state = page.state()
    expected = replay(args, lines)
    checks.equal("fields after the failed COMPUTE", state["fields"], expected["fields"])
    checks.equal("replay's outcome", [c["ok"] for c in expected["clicks"]], [False])
    changed = sorted(f for f in VALUE_FIELDS if state["fields"][f] != before[f])
    checks.equal("fields written before the failing step", changed, ["Text22", "Text23"])
    checks.equal("message", state["failure"], module_outcomes(args, lines)[0]["message"])
    alert = page.js("""const f = document.getElementById('failure');
return [f.getAttribute('role'), f.matches(':modal'), f.getBoundingClientRect().width > 100,
        document.activeElement.textContent, f.querySelector('.ok').textContent];""")
    checks.equal("alert: role, modal, shown, focus on OK, OK's caption", alert, ["alertdialog", True, True, "OK", "OK"])
    page.screenshot("page-failure.png")
    page.dismiss_failure()
    checks.equal("focus after OK", page.js("return document.activeElement.id"), "Command4")

    # From the keyboard: ENTER on ACCEPT with an empty frequency, dismissed with Enter on OK.
    page.type("Text2", "")
    page.js("Command7.focus()")
    ActionChains(page.driver).send_keys(Keys.ENTER).perform()
    state = page.state()
    checks.equal("message of ACCEPT on an empty frequency", state["failure"],
                 module_outcomes(args, lines + ["set Text2 ", "click Command7"])[1]["message"])
    ActionChains(page.driver).send_keys(Keys.ENTER).perform()
    page.wait("Enter on OK to close the message", "return !document.getElementById('failure').open")
    checks.equal("focus after Enter on OK", page.js("return document.activeElement.id"), "Command7")

    # The page works on.
    more = lines + ["set Text2 ", "click Command7", "set Text2 50", "click Command7"]
    page.act("set Text2 50")
    page.act("click Command7")
    checks.equal("ACCEPT after two failures", page.state()["fields"], replay(args, more)["fields"])


def scenario_windows(page, args, checks):
    """NOTES twice, reopened notes, WEBSITE: ordinary windows, the main window usable meanwhile."""
    page.element("Command6").click()
    notes = page.js("""const n = document.getElementById('no'), box = n.querySelector('textarea');
return [n.open, n.getAttribute('role') || n.tagName.toLowerCase(), n.matches(':modal'), box.value,
        box.getBoundingClientRect().width, n.querySelector('.client').getBoundingClientRect().width,
        n.querySelector('.client').getBoundingClientRect().height, box.selectionStart, box.scrollTop];""")
    checks.equal("notes window open, a dialog, not modal", notes[:3], [True, "dialog", False])
    checks.equal("notes text", notes[3], NOTES_TEXT)
    checks.equal("notes box width and window client area", notes[4:7], [7455 / 15, 7710 / 15, 3375 / 15])
    checks.equal("notes read from the start", notes[7:], [0, 0])
    page.screenshot("page-notes.png")

    # The main window stays usable with the notes open.
    page.act("set Text2 50")
    page.act("click Command7")
    checks.equal("ACCEPT with the notes open", page.state()["fields"],
                 replay(args, ["click Command6", "set Text2 50", "click Command7"])["fields"])
    page.element("Command6").click()
    checks.equal("notes windows after NOTES twice",
                 page.js("return document.querySelectorAll('dialog[open]#no').length"), 1)
    checks.true("NOTES brings the notes window to the front", page.js(
        "const z = (id) => Number(getComputedStyle(document.getElementById(id)).zIndex) || 0;"
        "return z('no') > z('website') && document.getElementById('no').contains(document.activeElement)"))

    # Typed-in notes are gone once the window is closed and opened again.
    box = page.driver.find_element(By.CSS_SELECTOR, "#no textarea")
    box.send_keys("MY OWN NOTE")
    checks.true("the notes box takes typing", "MY OWN NOTE" in box.get_property("value"))
    page.driver.find_element(By.CSS_SELECTOR, "#no .close").click()
    checks.equal("notes closed", page.js("return document.getElementById('no').open"), False)
    page.element("Command6").click()
    checks.equal("reopened notes", page.js("return document.querySelector('#no textarea').value"), NOTES_TEXT)

    # WEBSITE: information about the program, no field changed, one window, OK closes it.
    before = page.state(fields=[row[0] for row in LAYOUT if row[0].startswith("Text")])["fields"]
    page.element("Command5").click()
    page.element("Command5").click()
    checks.equal("website windows after WEBSITE twice",
                 page.js("return document.querySelectorAll('dialog[open]#website').length"), 1)
    site = page.js("""const w = document.getElementById('website');
return [w.open, w.getAttribute('role') || w.tagName.toLowerCase(), w.matches(':modal'), w.innerText];""")
    checks.equal("website window open, a dialog, not modal", site[:3], [True, "dialog", False])
    checks.true(f"website text {site[3]!r} names no address and the version",
                "no website address" in site[3] and args.version in site[3])
    checks.equal("fields after WEBSITE",
                 page.state(fields=[row[0] for row in LAYOUT if row[0].startswith("Text")])["fields"], before)
    page.screenshot("page-website.png")
    page.driver.find_element(By.CSS_SELECTOR, "#website .ok").click()
    checks.equal("website closed by OK", page.js("return document.getElementById('website').open"), False)
    checks.equal("no alert raised by NOTES or WEBSITE", page.js("return document.getElementById('failure').open"),
                 False)


# Texts a person might type, hostile ones included.
TEXTS = ["50", "146", "146.00", "28.4", "7.1", "222.5", "1296", "0.25", ".064", "12.7", "2.5", "8", "14", "0",
         "0000", "9009", "90009", "40", "41", "-0", "", "  ", " 146 ", "1,5", "inf", "-inf", "nan", "0x10", "1E39",
         "1E-40", "-146", "1e5", ".", "+", "2.5e", "µ146", "3.4E38", "99999", "00.00"]


def random_script(rng, length):
    lines = []
    for _ in range(length):
        roll = rng.random()
        if roll < 0.45:
            field = rng.choice(["Text2", "Text2", "Text4", "Text6", "Text8", "Text8", "Text13", "Text17"])
            lines.append(f"set {field} {rng.choice(TEXTS)}")
        elif roll < 0.55:
            lines.append(f"select {rng.choice(['Option1', 'Option2'])}")
        else:
            lines.append("click " + rng.choices(BUTTONS, weights=[3, 3, 3, 4, 1, 1, 4])[0])
    return lines


def scenario_differential(page, args, checks):
    """Random scripts, a fixed seed: the page and replay agree after every action."""
    rng = random.Random(20261208)
    count = 0
    scripts = 16
    seen = {}
    for number in range(scripts):
        lines = random_script(rng, rng.randint(8, 16))
        if number:
            page.open()
        count += run_script(page, args, checks, f"random script {number + 1}", lines, seen)
    # The set is only worth its time if it clicked every button and met failures.
    checks.equal("buttons clicked by the random scripts", sorted(b for b in seen if b in BUTTONS), BUTTONS)
    checks.true(f"only {seen.get('failed', 0)} failed clicks in the random scripts", seen.get("failed", 0) >= 10)
    print(f"{count} actions of {scripts} random scripts match replay; clicks: {seen}")


def scenario_screenshots(page, args, checks):
    """The window at 1x, at 2x and on a 390-pixel-wide phone, after a design, kept to look at."""
    for line in ROAD:
        page.act(line)
    page.driver.find_element(By.ID, "Form1").screenshot(str(pathlib.Path(args.artefacts) / "page-1x.png"))
    page.screenshot("page-1x-viewport.png")
    driver = page.driver
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 800, "height": 600, "deviceScaleFactor": 2, "mobile": False})
    driver.find_element(By.ID, "Form1").screenshot(str(pathlib.Path(args.artefacts) / "page-2x.png"))
    checks.true("2x: the layout is unchanged", close_enough(page.js(rect_script(), ["Text2"])["Text2"],
                                                             expected_pixels((3840, 480, 1335, 375))))

    # A phone held upright: the whole window scaled to the width, nothing scrolling sideways.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 390, "height": 844, "deviceScaleFactor": 2, "mobile": True})
    page.open()
    for line in ROAD:
        page.act(line)
    scale = 390 / 535
    rects = page.js(rect_script(), [row[0] for row in LAYOUT])
    checks.true(f"phone: Form1 at {rects['Form1']}", close_enough(rects["Form1"], [0, 0, 390, 402 * scale], 0.05))
    for control, _, _, _, twips in LAYOUT:
        expected = expected_pixels(twips, scale)
        if control == "Text24":
            expected[2] = 537 * scale
        checks.true(f"phone: {control} at {rects[control]}, expected {expected}",
                    close_enough(rects[control], expected, 0.05))
    checks.equal("phone: sideways scrolling room", page.js(
        "return document.documentElement.scrollWidth - document.documentElement.clientWidth"), 0)
    checks.equal("phone: the road's fields", page.state()["fields"], replay(args, ROAD)["fields"])
    page.screenshot("page-phone-390.png")
    page.element("Command6").click()
    checks.equal("phone: sideways room with the notes open", page.js(
        "return document.documentElement.scrollWidth - document.documentElement.clientWidth"), 0)
    page.screenshot("page-phone-390-notes.png")


def scenario_sheet(page, args, checks):
    """BUILD SHEET: the sheet of what the window shows is the very SVG brimalox-cli sheet draws for the
    same design, and it prints as one page of the chosen paper with nothing of the page on it."""
    # No option selected yet: no sheet, and the reason in words.
    page.element("sheet-build").click()
    page.wait("the reason there is no sheet", "return document.getElementById('sheet-message').textContent !== ''")
    checks.true("no sheet without a form", not page.js("return document.getElementById('sheet-view').open"))

    for frequency, option, awg, paper, points in (("146", "Option1", None, "a4", (595.9, 842.9)),
                                                  ("222.5", "Option2", "10", "letter", (612, 792))):
        page.open()
        lines = [f"set Text2 {frequency}", "click Command7"]
        lines += [f"set Text4 {awg}", "click Command1"] if awg else []
        lines += [f"select {option}", "click Command4"]
        for line in lines:
            page.act(line)
        page.js("document.getElementById('sheet-paper').value = arguments[0]", paper)
        page.element("sheet-build").click()
        page.wait("the sheet to open", "return document.getElementById('sheet-view').open")
        shown = page.js("return document.querySelector('#sheet-page svg').outerHTML")
        date = re.search(r"DATE (\d{4}-\d\d-\d\d)", shown).group(1)
        command = [args.cli, "sheet", frequency, "--sides", "4" if option == "Option2" else "3", "--format", "svg",
                   "--paper", paper, "--date", date] + (["--awg", awg] if awg else [])
        drawn = subprocess.run(command, capture_output=True, text=True, check=True).stdout

        def tree(svg):
            return [(e.tag, sorted(e.attrib.items()), (e.text or "").strip())
                    for e in ElementTree.fromstring(svg).iter()]

        checks.equal(f"{paper} sheet on the page and from brimalox-cli", tree(shown), tree(drawn))

        # On paper: only the sheet, one page of the chosen size.
        page.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
        visible = page.js("return [...document.body.children].filter((e) => getComputedStyle(e).display !== 'none')"
                          ".map((e) => e.id)")
        checks.equal(f"{paper}: what prints", visible, ["sheet-view"])
        page.screenshot(f"sheet-{paper}-print.png")
        pdf = base64.b64decode(page.driver.execute_cdp_cmd(
            "Page.printToPDF", {"preferCSSPageSize": True, "printBackground": True})["data"])
        directory = pathlib.Path(args.artefacts)
        directory.mkdir(parents=True, exist_ok=True)
        (directory / f"sheet-{paper}.pdf").write_bytes(pdf)
        checks.equal(f"{paper}: printed pages", len(re.findall(rb"/Type\s*/Page[^s]", pdf)), 1)
        box = re.search(rb"/MediaBox\s*\[\s*0 0 ([\d.]+) ([\d.]+)", pdf)
        checks.true(f"{paper}: page size {box and box.groups()}",
                    box and all(abs(float(v) - p) < 2 for v, p in zip(box.groups(), points)))
        page.driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})
        page.element("sheet-close").click()
        checks.true(f"{paper}: CLOSE closes the sheet", not page.js("return document.getElementById('sheet-view').open"))


SCENARIOS = {"layout": scenario_layout, "keyboard": scenario_keyboard, "road": scenario_road,
             "failure": scenario_failure, "windows": scenario_windows, "differential": scenario_differential,
             "screenshots": scenario_screenshots, "sheet": scenario_sheet}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scenario", choices=SCENARIOS, required=True)
    for option in ("page", "cli", "node", "module", "chromium", "chromedriver", "artefacts", "version"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    started = time.monotonic()
    page = Page(args, network_log=args.scenario == "layout")
    checks = Checks()
    try:
        SCENARIOS[args.scenario](page, args, checks)
    except Failure as failure:
        checks.failures.append(str(failure))
    finally:
        page.close()
    for failure in checks.failures:
        print("FAIL:", failure)
    print(f"{args.scenario}: {'failed' if checks.failures else 'ok'} in {time.monotonic() - started:.1f} s")
    return 1 if checks.failures else 0


if __name__ == "__main__":
    sys.exit(main())
