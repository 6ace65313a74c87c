#!/usr/bin/python3
"""The web page brimalox.html in headless Chromium, driven through Selenium as a person drives it:
opened from disk, typed into, clicked, tabbed through. Its field texts and click outcomes are
compared with brimalox-cli replay's after every action, and its failure messages with the
WebAssembly module's own (run alone in Node), so every number and word comes from the programs,
none from this file. Screenshots are kept in the artefacts folder.

Usage: page_test.py --scenario NAME --page brimalox.html --cli brimalox-cli --node node
                    --module brimalox_core.js --chromium BINARY --chromedriver BINARY --axe axe.min.js
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

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

import harness  # the window as expected, the checks (tests/ is on PYTHONPATH)
from harness import BUTTONS, TAB_ORDER, VALUE_FIELDS, as_shown, pixels
from harness.page import Page, main, sideways_room



def css_colour(colour):
    """#RRGGBB as a browser's computed style gives it."""
    return "rgb({}, {}, {})".format(*(int(colour[i:i + 2], 16) for i in (1, 3, 5)))


# How the page tells each kind of control to a screen reader.
ROLES = {"text box": "textbox", "multi-line text box": "textbox", "push button": "button",
         "option button": "radio", "picture box": "image", "line": "separator"}
# The window's controls as laid out: accessible role and name, the text or caption shown at start (a
# text area keeps its line break as LF; the page hands it to the core as CR LF), and the outer
# rectangle in twips (Left, Top, Width, Height) from the client area's top-left corner.
LAYOUT = [(c["name"], ROLES[c["kind"]], c["accessible_name"], None if c["text"] is None else as_shown(c["text"]),
           tuple(c["place"])) for c in harness.CONTROLS]

# Colours, alignment, font size in CSS pixels (9.75 pt is 13 px), slant and border of the text boxes.
PEACH, WHITE = css_colour(harness.WINDOW["background"]), "rgb(255, 255, 255)"
BOX_LOOKS = {c["name"]: (css_colour(c["background"]), css_colour(c["colour"]),
                         {"centre": "center"}.get(c["align"], c["align"]), c["points"] * 96 / 72, c["italic"],
                         c["border"]) for c in harness.CONTROLS if c["name"] in harness.TEXT_BOXES}
# As a text area holds it: LF line ends.
NOTES_TEXT = as_shown(harness.NOTES_TEXT)

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


def run_script(page, args, checks, name, lines, seen=None, after_clicks_only=False):
    """Runs a replay script on the page; after every action (or only after each click and at the
    end) the value fields and the clicks so far must be replay's, and each failed click must show
    the module's message. Counts in `seen` what the script did: actions, clicks of each button,
    failed clicks."""
    outcomes = module_outcomes(args, lines)
    seen = seen if seen is not None else {}
    clicks = []
    for index, line in enumerate(lines):
        page.act(line)
        compared = not after_clicks_only or line.startswith("click ") or index + 1 == len(lines)
        if not compared:
            continue  # a typed text the page mangled still shows at the next click, which reads it
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


def close_enough(actual, expected, tolerance=0.01):
    return all(abs(a - e) <= tolerance for a, e in zip(actual, expected))


def scenario_layout(page, args, checks):
    """Every control at its place with its text, look, accessible name and purpose; the diagram;
    nothing fetched from anywhere."""
    checks.equal("focus when the page opens", page.js("return document.activeElement.id"), "Text2")
    checks.equal("the frequency's text selected at start, so the first key replaces it",
                 page.js("return [Text2.selectionStart, Text2.selectionEnd]"), [0, len("146.00")])
    checks.equal("page title", page.driver.title, "QZ9ZZQ BX - BRIMALOX antenna calculator")
    checks.true("the desktop icon inline", page.js(
        "const l = document.querySelector('link[rel=icon]'); return !!l && l.href.startsWith('data:image/svg+xml,')"
        " && decodeURIComponent(l.href).includes('<svg')"))
    group = page.js("const g = Option1.closest('[role=radiogroup]');"
                    "return g && [g.getAttribute('aria-label'), g.contains(Option2)]")
    checks.equal("the option group and its name", group, ["antenna form", True])
    typing = page.js("""return [...document.querySelectorAll('#Form1 input[type=text]')].map((e) =>
        [e.id, e.inputMode, e.spellcheck, e.getAttribute('autocapitalize')]);""")
    for control, mode, spelling, capitals in typing:
        wanted = "decimal" if control in VALUE_FIELDS else ""
        checks.equal(f"{control}: number pad, spell check, capitals", [mode, spelling, capitals],
                     [wanted, False, "off"])
    keys = page.js("return Object.fromEntries([...document.querySelectorAll('#Form1 [data-key]')]"
                   ".map((e) => [e.dataset.key, e.id]))")
    checks.equal("the value fields' keys on the page and in the command line's JSON", keys,
                 harness.design_fields(args.cli))
    ids = [row[0] for row in LAYOUT]
    rects = page.js(rect_script(), ids)
    checks.equal("Form1 size", rects["Form1"][2:], pixels(harness.WINDOW["client"]))
    for control, role, name, text, twips in LAYOUT:
        expected = pixels(twips)
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
    """The first keys, Tab order, Space and Enter on buttons, arrow keys in the option group."""
    actions = ActionChains(page.driver)
    # The first keys typed replace the frequency's default text; Tab into a box selects its text;
    # a click puts the caret where it lands.
    actions.send_keys("146").perform()
    checks.equal("the frequency after typing 146 as the first keys", page.js("return Text2.value"), "146")
    page.element("Text2").click()
    actions.send_keys(Keys.TAB).perform()
    page.js("Text4.blur(); Text1.focus()")
    actions.send_keys(Keys.TAB).perform()
    checks.equal("Tab into the frequency selects its text",
                 page.js("return [document.activeElement.id, Text2.selectionStart, Text2.selectionEnd]"),
                 ["Text2", 0, 3])
    page.element("Text8").click()
    checks.equal("a click in a box leaves no text selected",
                 page.js("return Text8.selectionStart === Text8.selectionEnd"), True)
    page.open()
    page.element("Text1").click()
    visited = ["Text1"]
    for _ in TAB_ORDER[1:] + ["back to the start"]:
        actions.send_keys(Keys.TAB).perform()
        visited.append(page.js("return document.activeElement.id"))
    checks.equal("Tab order", visited[: len(TAB_ORDER)], TAB_ORDER)
    checks.true(f"Tab after the option group went to {visited[-1]}, not out of the window or to the page's own buttons",
                visited[-1] in ("", "Text1", "copy-link", "sheet-build"))
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
    checks.equal("notes box width and window client area", notes[4:7],
                 pixels(harness.NOTES["box"]["place"])[2:3] + pixels(harness.NOTES["window"]["client"]))
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


def scenario_in_view(page, args, checks):
    """NOTES and WEBSITE, clicked or entered, open their window where the screen shows it and leave
    the page scrolled where it was, at desktop size and on a phone."""
    for size, metrics in (("1280 x 900", {"width": 1280, "height": 900, "deviceScaleFactor": 1, "mobile": False}),
                          ("phone", PHONE)):
        page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", metrics)
        page.open()
        for button, dialog in (("Command6", "no"), ("Command5", "website")):
            for how in ("click", "Enter"):
                # The button in the middle of the screen, the page scrolled some way down to it.
                page.js("arguments[0].scrollIntoView({block: 'center'}); scrollBy(0, 40)", page.element(button))
                before = page.js("return scrollY")
                if how == "click":
                    page.element(button).click()
                else:
                    page.js("arguments[0].focus({preventScroll: true})", page.element(button))
                    ActionChains(page.driver).send_keys(Keys.ENTER).perform()
                after, rect, height = page.js("const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                                              "return [scrollY, [r.top, r.bottom], innerHeight]", dialog)
                what = f"{size}, {how} on {button}"
                checks.equal(f"{what}: the page scrolled", after, before)
                checks.true(f"{what}: the window from {rect[0]:.0f} to {rect[1]:.0f} px, out of the screen's "
                            f"0 to {height}", 0 <= rect[0] < height - 100)
                page.screenshot(f"in-view-{size.split()[0]}-{dialog}-{how}.png")
                page.js("document.getElementById(arguments[0]).close()", dialog)


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
    """Random scripts, a fixed seed, one after the other on one page (what the handlers share carries
    over from script to script, as in a long session): the page and replay agree after every click."""
    rng = random.Random(20261208)
    scripts = 16
    lines = []
    for _ in range(scripts):
        lines += random_script(rng, rng.randint(8, 16))
    seen = {}
    count = run_script(page, args, checks, f"{scripts} random scripts", lines, seen, after_clicks_only=True)
    # The set is only worth its time if it clicked every button and met failures.
    checks.equal("buttons clicked by the random scripts", sorted(b for b in seen if b in BUTTONS), BUTTONS)
    checks.true(f"only {seen.get('failed', 0)} failed clicks in the random scripts", seen.get("failed", 0) >= 10)
    print(f"{count} actions of {scripts} random scripts match replay; clicks: {seen}")


def scenario_screenshots(page, args, checks):
    """The window at 1x and at 2x after a design, kept to look at (the phone's are scenario_phone's)."""
    for line in ROAD:
        page.act(line)
    page.driver.find_element(By.ID, "Form1").screenshot(str(pathlib.Path(args.artefacts) / "page-1x.png"))
    page.screenshot("page-1x-viewport.png")
    driver = page.driver
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 800, "height": 600, "deviceScaleFactor": 2, "mobile": False})
    driver.find_element(By.ID, "Form1").screenshot(str(pathlib.Path(args.artefacts) / "page-2x.png"))
    checks.true("2x: the layout is unchanged", close_enough(page.js(rect_script(), ["Text2"])["Text2"],
                                                             pixels(harness.BY_NAME["Text2"]["place"])))
    page.screenshot("page-2x-viewport.png")


PHONE = {"width": 390, "height": 844, "deviceScaleFactor": 3, "mobile": True}
# What the window itself brings and keeps: its own colours (blue and orange on white or peach) and
# the Tab order of its table, which HTML can only give with positive tab indexes.
AXE_ACCEPTED = {"color-contrast", "tabindex"}


def as_phone(page):
    """A phone held upright, touch and all, with the page loaded afresh at that size."""
    page.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", PHONE)
    page.driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
    page.open()


def tap(page, element_id):
    """A finger's tap at the middle of the element, as the phone's touch screen delivers it."""
    box = page.js("const r = (arguments[0].type === 'radio' ? arguments[0].closest('label') : arguments[0])"
                  ".getBoundingClientRect(); arguments[0].scrollIntoView({block: 'center'});"
                  "const s = arguments[0].getBoundingClientRect(); return [s.left + s.width / 2, s.top + s.height / 2]",
                  page.element(element_id))
    x, y = box
    for kind in ("touchStart", "touchEnd"):
        page.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {
            "type": kind, "touchPoints": [] if kind == "touchEnd" else [{"x": x, "y": y}]})


def swipe(page, x, y_from, y_to, steps=10):
    """A finger drawn up or down the screen."""
    page.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchStart", "touchPoints": [{"x": x, "y": y_from}]})
    for step in range(1, steps + 1):
        y = y_from + (y_to - y_from) * step / steps
        page.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchMove", "touchPoints": [{"x": x, "y": y}]})
    page.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {"type": "touchEnd", "touchPoints": []})
    time.sleep(0.1)


def act_by_touch(page, line):
    verb, _, rest = line.partition(" ")
    if verb == "set":
        name, _, text = rest.partition(" ")
        tap(page, name)
        page.js("arguments[0].select()", page.element(name))
        ActionChains(page.driver).send_keys(Keys.BACKSPACE).perform()
        if text:
            ActionChains(page.driver).send_keys(text).perform()
    else:
        tap(page, rest)


def run_axe(page, checks, where):
    axe = pathlib.Path(page.args.axe)
    if not axe.is_file():
        checks.true(f"axe-core is not installed at {axe} (scripts/setup-debian.sh installs it)", False)
        return
    page.js(axe.read_text(encoding="utf-8"))
    found = page.driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "axe.run(document).then((r) => done(r.violations.map((v) => [v.id, v.nodes.map((n) => n.target.join(' '))])),"
        " (e) => done([['axe failed', [String(e)]]]));")
    for rule, nodes in found:
        if rule not in AXE_ACCEPTED:
            checks.true(f"{where}: axe reports {rule} on {nodes}", False)
    # The accepted ones must stay within the window: the page's own parts have neither.
    for rule, nodes in found:
        if rule in AXE_ACCEPTED:
            outside = [n for n in nodes if not n.startswith("#Text") and not n.startswith("#Command")
                       and not n.startswith("#Option") and not n.startswith("#Picture")]
            checks.equal(f"{where}: {rule} outside the window", outside, [])


def scenario_phone(page, args, checks):
    """A 390-pixel phone with touch: one column in the order of the road, text of 16 px, targets of
    44 px, nothing wider than the screen, the road by taps as at desktop size, the notes readable."""
    as_phone(page)
    checks.equal("phone: sideways scrolling room", sideways_room(page), 0)
    sizes = page.js("""
const out = {};
for (const e of document.querySelectorAll('#Form1 input, #Form1 textarea, #Form1 button, #tools button')) {
  const target = e.type === 'radio' ? e.closest('label') : e;
  const r = target.getBoundingClientRect();
  out[e.id] = [r.left, r.right, r.width, r.height, parseFloat(getComputedStyle(target).fontSize),
               getComputedStyle(target).transform];
}
return out;""")
    for control, (left, right, width, height, font, transform) in sizes.items():
        checks.true(f"phone: {control} is {width:.1f} x {height:.1f}, under 44 x 44", width >= 44 and height >= 44)
        checks.true(f"phone: {control} from {left:.1f} to {right:.1f}, off the screen", left >= 0 and right <= 390)
        checks.true(f"phone: {control} text of {font} px", font >= 16)
        checks.equal(f"phone: {control} scaled", transform, "none")
    # The column in the order of the road: each control below or beside the one before it.
    road = ["Text2", "Command7", "Option1", "Text4", "Command1", "Text6", "Command2", "Text8", "Command3",
            "Command4", "Text11", "Text13", "Text16", "Text17", "Text19", "Text20", "Text22", "Text23",
            "Picture1", "Command5", "Command6"]
    tops = page.js("return arguments[0].map((id) => { const e = document.getElementById(id);"
                   " return (e.type === 'radio' ? e.closest('label') : e).getBoundingClientRect().top; })", road)
    checks.true(f"phone: the controls not in the order of the road: {list(zip(road, tops))}",
                all(a <= b + 0.5 for a, b in zip(tops, tops[1:])))
    for line in ROAD:
        act_by_touch(page, line)
    checks.equal("phone: the road by taps", page.state()["fields"], replay(args, ROAD)["fields"])
    checks.equal("phone: sideways room after the road", sideways_room(page), 0)
    page.screenshot("page-phone-390.png")
    page.js("window.scrollTo(0, document.body.scrollHeight)")
    page.screenshot("page-phone-390-end.png")
    run_axe(page, checks, "phone")

    # The notes: as wide as the screen, scrolled by a finger and by a mouse wheel to the last line.
    tap(page, "Command6")
    box = page.driver.find_element(By.CSS_SELECTOR, "#no textarea")
    checks.equal("phone: sideways room with the notes open", sideways_room(page), 0)
    rect = page.js("const r = arguments[0].getBoundingClientRect(); return [r.left, r.top, r.width, r.height,"
                   " parseFloat(getComputedStyle(arguments[0]).fontSize), arguments[0].offsetWidth -"
                   " arguments[0].clientWidth - 2 * parseFloat(getComputedStyle(arguments[0]).borderLeftWidth)]", box)
    checks.true(f"phone: notes box at {rect[:4]} not on the screen", rect[0] >= 0 and rect[0] + rect[2] <= 390
                and rect[1] >= 0 and rect[1] + rect[3] <= 844)
    checks.true(f"phone: notes text of {rect[4]} px", rect[4] >= 16)
    checks.equal("phone: notes box draws no scroll bar", rect[5], 0)
    page.screenshot("page-phone-390-notes.png")
    x = rect[0] + rect[2] / 2
    for source in ("finger", "mouse wheel"):
        page.js("arguments[0].scrollTop = 0", box)
        for _ in range(6):
            if source == "finger":
                swipe(page, x, rect[1] + rect[3] * 0.8, rect[1] + rect[3] * 0.2)
            else:
                page.driver.execute_cdp_cmd("Input.synthesizeScrollGesture", {
                    "x": x, "y": rect[1] + rect[3] / 2, "yDistance": -int(rect[3] * 0.6), "gestureSourceType": "mouse"})
        end = page.js("return [arguments[0].scrollTop + arguments[0].clientHeight, arguments[0].scrollHeight]", box)
        checks.true(f"phone: the notes by {source} did not reach the last line ({end})", end[0] >= end[1] - 1)
    page.screenshot("page-phone-390-notes-end.png")


def scenario_unavailable(page, args, checks):
    """Where the calculator cannot run, the page says why: WebAssembly off, JavaScript off. Each in a
    browser of its own, started so."""
    # V8 without its compilers has no WebAssembly, as a browser with WebAssembly turned off.
    no_wasm = Page(args, flags=["--js-flags=--jitless"], wait_ready=False)
    try:
        no_wasm.wait("the notice to show", "return !document.getElementById('notice').hidden")
        notice = no_wasm.js("const n = document.getElementById('notice'), r = n.getBoundingClientRect();"
                            "return [n.textContent, r.width > 100 && r.height > 20, n.getAttribute('role')]")
        checks.true(f"no WebAssembly: the notice {notice[0]!r} does not say why",
                    "WebAssembly" in notice[0] and "could not be loaded" in notice[0])
        checks.equal("no WebAssembly: notice shown, an alert", notice[1:], [True, "alert"])
        checks.true("no WebAssembly: the buttons stay disabled",
                    no_wasm.js("return [...document.querySelectorAll('#Form1 button')].every((b) => b.disabled)"))
        no_wasm.screenshot("page-no-webassembly.png")
    finally:
        no_wasm.close()

    # A damaged file: the module's script there but without its factory.
    markup = pathlib.Path(args.page).read_text(encoding="utf-8")
    with tempfile.TemporaryDirectory(prefix="brimalox-damaged-") as folder:
        damaged = pathlib.Path(folder) / "brimalox.html"
        damaged.write_text(markup.replace("createBrimaloxCore", "createSomethingElse", 1), encoding="utf-8")
        broken = Page(argparse.Namespace(**dict(vars(args), page=str(damaged))), wait_ready=False)
        try:
            broken.wait("the notice to show", "return !document.getElementById('notice').hidden")
            checks.true("damaged module: the notice does not say so",
                        "could not be loaded" in broken.js("return document.getElementById('notice').textContent"))
        finally:
            broken.close()

        # A module's LZMA text damaged (its middle zeroed): the core's, and the window says it cannot
        # run; the engine's, and the window runs while the check says why it cannot.
        def zeroed(element):
            start = markup.index(f'id="{element}">') + len(f'id="{element}">')
            middle = (start + markup.index("</script>", start)) // 2
            return markup[:middle] + "!" * 100 + markup[middle + 100:]

        for element in ("core-wasm", "nec-engine-wasm"):
            damaged.write_text(zeroed(element), encoding="utf-8")
            core = element == "core-wasm"
            broken = Page(argparse.Namespace(**dict(vars(args), page=str(damaged))), wait_ready=not core)
            try:
                if core:
                    broken.wait("the notice to show", "return !document.getElementById('notice').hidden")
                    checks.true("damaged core text: the notice does not say so",
                                "could not be loaded" in broken.js("return document.getElementById('notice').textContent"))
                    continue
                for line in ["set Text2 146", "click Command7", "select Option1", "click Command4"]:
                    broken.act(line)
                broken.element("check-run").click()
                broken.wait("the check to end", "return document.getElementById('check-cancel').disabled && "
                            "document.getElementById('check-status').textContent !== 'Running the model...'", 30)
                said = broken.js("return document.getElementById('check-status').textContent")
                checks.true(f"damaged engine text: the check says {said!r}",
                            said.startswith("The model could not run: the WebAssembly could not be unpacked: "))
            finally:
                broken.close()

    no_js = Page(args, prefs={"profile.managed_default_content_settings.javascript": 2}, wait_ready=False)
    try:
        time.sleep(0.5)
        shown = no_js.driver.execute_cdp_cmd("Runtime.evaluate", {"expression": (
            "(() => { const p = document.querySelector('noscript p'); if (!p) return null;"
            " const r = p.getBoundingClientRect(); return [p.textContent, r.width, r.height]; })()"),
            "returnByValue": True})["result"].get("value")
        checks.true(f"no JavaScript: the noscript text is not shown: {shown!r}",
                    shown is not None and "JavaScript" in shown[0] and shown[1] > 100 and shown[2] > 10)
        no_js.screenshot("page-no-javascript.png")
    finally:
        no_js.close()


def cli_design(args, frequency, unit, text, sides):
    """The fields but the frequency as brimalox-cli design gives them."""
    fields = harness.cli_design(args.cli, frequency, "--sides", sides, *(["--" + unit, text] if unit else []))
    return {field: value for field, value in fields.items() if field != "Text2"}


def scenario_address(page, args, checks):
    """The design in the address: written by a COMPUTE, run by a fresh page from the address; hostile
    addresses run as far as a user's clicks would go. Copy link and copy results."""
    # Designs opened fresh from an address: the fields are the command line's.
    for fragment, (frequency, unit, text, sides) in {
            "#f=146.52&awg=8&sides=4": ("146.52", "awg", "8", "4"),
            "#f=50&in=0.25&sides=3": ("50", "inch", "0.25", "3"),
            "#f=222&mm=3.5&sides=3": ("222", "mm", "3.5", "3"),
            "#f=7.1&sides=4": ("7.1", None, "", "4")}.items():
        page.open(fragment)
        fields = page.state()["fields"]
        expected = cli_design(args, frequency, unit, text, sides)
        checks.equal(f"{fragment}: the fields", {f: fields[f] for f in expected}, expected)
        checks.equal(f"{fragment}: frequency and option", [fields["Text2"], page.js(
            "return Option1.checked ? '3' : Option2.checked ? '4' : ''")], [frequency, sides])
        checks.equal(f"{fragment}: the address after the road", page.js("return location.hash"), fragment)

    # Hostile addresses: the road as a user's clicks would take it, ending in that click's message.
    for fragment, lines in {
            "#f=&sides=3": ["set Text2 ", "click Command7"],
            "#f=1e39&awg=8&sides=3": ["set Text2 1e39", "click Command7"],
            "#f=abc": ["set Text2 abc", "click Command7"],
            "#f=146&awg=thick&sides=4": ["set Text2 146", "click Command7", "set Text4 thick", "click Command1"],
            "#awg=8&sides=3": ["set Text2 ", "click Command7"],
            "#f=146&mm=0&sides=3": ["set Text2 146", "click Command7", "set Text8 0", "click Command3",
                                     "select Option1", "click Command4"],
            "#f=146&sides=5": ["set Text2 146", "click Command7", "click Command4"],
            "#f=%3Cb%3E&sides=3": ["set Text2 <b>", "click Command7"]}.items():
        page.open(fragment)
        state = page.state()
        expected = replay(args, lines)
        checks.equal(f"{fragment}: the fields", state["fields"], expected["fields"])
        failed = [c for c in expected["clicks"] if not c["ok"]]
        checks.equal(f"{fragment}: the message", state["failure"],
                     module_outcomes(args, lines)[-1]["message"] if failed else None)
        if state["failure"] is not None:
            page.dismiss_failure()

    # A link whose form the window does not make says which and what to type instead; COMPUTE with a
    # form selected takes the words away.
    for fragment, said in {"#f=146&sides=5": "sides=5", "#f=146&sides=-3": "sides=-3", "#f=146": "names no form",
                           "#f=146&sides=4": None}.items():
        page.open(fragment)
        note = page.js("const n = document.getElementById('address-note'); return n.hidden ? null : n.textContent")
        checks.true(f"{fragment}: the page says {note!r}", note is None if said is None else
                    note is not None and said in note and "sides=3" in note and "sides=4" in note)
    page.act("select Option1")
    page.act("click Command4")
    checks.true("the note after COMPUTE with a form", page.js("return document.getElementById('address-note').hidden"))

    # A design done by hand is kept in the address, and a fresh page opened there shows it again.
    page.open()
    lines = ["set Text2 50", "click Command7", "set Text6 0.25", "click Command2", "select Option2", "click Command4"]
    for line in lines:
        page.act(line)
    address = page.js("return location.hash")
    checks.equal("address after a design by hand", sorted(address.lstrip("#").split("&")),
                 sorted(["f=50", "in=0.25", "sides=4"]))
    shown = page.state()["fields"]
    page.open(address)
    checks.equal("the design's address opened afresh", page.state()["fields"], shown)
    page.driver.refresh()
    page.wait("the buttons after a reload", "return !Command7.disabled && Text13.value !== '00.00'")
    checks.equal("the design after a reload", page.state()["fields"], shown)
    # A frequency typed without ACCEPT: COMPUTE used the millimetres as they stood, so does the address.
    page.open()
    for line in ["set Text2 28.4", "select Option1", "click Command4"]:
        page.act(line)
    shown = page.state()["fields"]
    page.open(page.js("return location.hash"))
    checks.equal("a design computed without ACCEPT, opened afresh",
                 {f: page.state()["fields"][f] for f in VALUE_FIELDS[4:]}, {f: shown[f] for f in VALUE_FIELDS[4:]})

    # Copy link and copy results, as the clipboard receives them.
    page.js("window.copiedTexts = []; navigator.clipboard.writeText = (t) => { copiedTexts.push(t);"
            " return Promise.resolve(); };")
    page.element("copy-link").click()
    page.element("copy-results").click()
    page.wait("both copies", "return copiedTexts.length === 2")
    link, results = page.js("return copiedTexts")
    checks.equal("copied link", link, page.js("return location.href"))
    fields = page.state()["fields"]
    rows = {line.split("  ")[0]: line.split() for line in results.splitlines() if line.strip()}
    checks.equal("copied results: the HEIGHT row", rows.get("HEIGHT"), ["HEIGHT", fields["Text11"], fields["Text13"]])
    checks.equal("copied results: the GAP row", rows.get("GAP"), ["GAP", fields["Text19"], fields["Text20"]])
    checks.equal("copied results: the MM row", rows.get("MM"), ["MM", fields["Text8"]])
    checks.true(f"copied results end with the link: {results!r}", results.rstrip().endswith(link))
    checks.equal("told that the results were copied", page.js("return document.getElementById('copied').textContent"),
                 "Results copied.")


def scenario_accessibility(page, args, checks):
    """axe-core at desktop size and at 2x; what a screen reader hears after each click; zoom; the page
    around the window in dark mode with the window in its own colours."""
    run_axe(page, checks, "1280 x 800")
    lines = []
    for line, spoken in [("click Command7", "ACCEPT: AWG {Text4}, {Text6} inch, {Text8} millimetres"),
                         ("set Text4 8", None),
                         ("click Command1", "CHANGE AWG: {Text6} inch, {Text8} millimetres"),
                         ("select Option1", None),
                         ("click Command4", "COMPUTE: height {Text11} inches, {Text13} millimetres, side {Text16} "
                          "inches, {Text17} millimetres, gap {Text19} inches, {Text20} millimetres, series match "
                          "{Text22} inches, {Text23} millimetres")]:
        lines.append(line)
        page.act(line)
        if spoken:
            said = page.js("const a = document.getElementById('announce');"
                           "return [a.textContent.trim(), a.getAttribute('aria-live')]")
            checks.equal(f"announced after {line!r}", said, [spoken.format(**replay(args, lines)["fields"]), "polite"])

    # Zoom of 2.25 in a 1280-pixel window leaves 569 CSS pixels: the window as it is, not scaled.
    driver = page.driver
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 569, "height": 356, "deviceScaleFactor": 2.25, "mobile": False})
    rects = page.js(rect_script(), ["Text2", "Command7"])
    checks.true(f"zoomed: Text2 at {rects['Text2']}",
                close_enough(rects["Text2"], pixels(harness.BY_NAME["Text2"]["place"])))
    checks.equal("zoomed: nothing scaled", page.js(
        "return [...document.querySelectorAll('#screen, #screen *')].filter((e) => getComputedStyle(e).transform"
        " !== 'none').map((e) => e.id)"), [])
    run_axe(page, checks, "569 x 356 at 2.25x")
    # Zoom beyond the window's width: the one column, at the zoom's size.
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                           {"width": 256, "height": 160, "deviceScaleFactor": 5, "mobile": False})
    checks.equal("zoomed 5x: sideways room", sideways_room(page), 0)
    checks.equal("zoomed 5x: the frequency's text size", page.js("return getComputedStyle(Text2).fontSize"), "16px")
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})

    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": [{"name": "prefers-color-scheme", "value": "dark"}]})
    colours = page.js("const c = (e) => getComputedStyle(e).backgroundColor;"
                      "return [c(document.body), c(Form1), c(Text2), getComputedStyle(Text2).color]")
    checks.true(f"dark mode: the page around the window is {colours[0]}", colours[0] not in (WHITE, "rgba(0, 0, 0, 0)"))
    checks.equal("dark mode: the window's own colours", colours[1:], [PEACH, *BOX_LOOKS["Text2"][:2]])
    page.screenshot("page-dark.png")
    run_axe(page, checks, "dark mode")


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
        sides = "4" if option == "Option2" else "3"
        design = [args.cli, "sheet", frequency, "--sides", sides, "--paper", paper, "--date", date] + (
            ["--awg", awg] if awg else [])
        command = design + ["--format", "svg"]
        drawn = subprocess.run(command, capture_output=True, text=True, check=True).stdout

        def tree(svg):
            return [(e.tag, sorted(e.attrib.items()), (e.text or "").strip())
                    for e in ElementTree.fromstring(svg).iter()]

        checks.equal(f"{paper} sheet on the page and from brimalox-cli", tree(shown), tree(drawn))

        # Its cut list and the whole sheet to save, as brimalox-cli sheet writes them, named as the
        # window names the design's files.
        for link, form, ending in (("sheet-csv", "csv", "cutlist.csv"), ("sheet-json", "json", "sheet.json")):
            name, href, seen = page.js("const a = document.getElementById(arguments[0]);"
                                       "return [a.download, a.href, a.offsetParent !== null]", link)
            written = subprocess.run(design + ["--format", form], capture_output=True, check=True).stdout.decode()
            checks.equal(f"{paper}: {link} offered as", [name, seen],
                         [f"{float(frequency):.15g}MHz-{sides}sided-{ending}", True])
            saved = page.driver.execute_async_script(
                "fetch(arguments[0]).then((r) => r.text()).then(arguments[1], (e) => arguments[1](String(e)))", href)
            checks.equal(f"{paper}: {link} against brimalox-cli sheet --format {form}", saved, written)

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

        # A joint allowance: the command line's sheet with --joint-allowance, and its refusal.
        for typed, refused in (("2.5", False), ("-1", True), ("a", True)):
            page.js("document.getElementById('sheet-joint').value = arguments[0]", typed)
            page.js("document.getElementById('sheet-message').textContent = ''")
            page.element("sheet-build").click()
            said = subprocess.run(command + ["--joint-allowance", typed], capture_output=True, text=True)
            if refused:
                page.wait("the refusal", "return document.getElementById('sheet-message').textContent !== ''")
                message = page.js("return document.getElementById('sheet-message').textContent")
                reason = said.stderr.split("--joint-allowance", 1)[1].split("\n")[0].strip()
                checks.true(f"allowance {typed}: refused as the command line refuses it ({message})",
                            said.returncode == 2 and "JOINT ALLOWANCE " + reason in message
                            and not page.js("return document.getElementById('sheet-view').open")
                            and page.js("return document.getElementById('sheet-downloads').hidden"))
            else:
                page.wait("the sheet to open", "return document.getElementById('sheet-view').open")
                shown = page.js("return document.querySelector('#sheet-page svg').outerHTML")
                checks.equal(f"allowance {typed}: the command line's sheet", tree(shown), tree(said.stdout))
                page.element("sheet-close").click()
        page.js("document.getElementById('sheet-joint').value = '0'")


SCENARIOS = {"layout": scenario_layout, "keyboard": scenario_keyboard, "road": scenario_road,
             "failure": scenario_failure, "windows": scenario_windows, "in-view": scenario_in_view,
             "differential": scenario_differential,
             "screenshots": scenario_screenshots, "phone": scenario_phone, "unavailable": scenario_unavailable,
             "address": scenario_address, "accessibility": scenario_accessibility,
             "sheet": scenario_sheet}


if __name__ == "__main__":
    sys.exit(main(SCENARIOS, __doc__))
