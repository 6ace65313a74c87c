"""What the Python harnesses share: the window's and the notes' expectations, read from form1.json
and notes.json beside this file (the window's own C++ tests read the same files), the command
line's design as the window's fields, the checks that collect every mismatch of a scenario, and the
failure that ends one. The drivers are beside it: `harness.page` (the page in headless Chromium,
started by `harness.chromium`) and `harness.window` (the Qt window under Xvfb and AT-SPI). CTest
runs every script with tests/ on PYTHONPATH; by hand: `PYTHONPATH=tests /usr/bin/python3 SCRIPT`.
"""

import json
import pathlib
import re
import subprocess

TWIPS_PER_PIXEL = 15


def _read(name):
    return json.loads((pathlib.Path(__file__).resolve().parent.parent / name).read_text(encoding="utf-8"))


def number(name):
    """The number in a control's name: 21 for Text21, 7 for Command7."""
    return int(re.search(r"\d+$", name).group())


# --- the main window ----------------------------------------------------------------------------

FORM1 = _read("form1.json")
WINDOW = FORM1["window"]
CAPTION = WINDOW["caption"]
# Every control as a dictionary (name, kind, place, tab, text, accessible_name; a text box's look),
# in the window's rows from top to bottom.
CONTROLS = FORM1["controls"]
BY_NAME = {control["name"]: control for control in CONTROLS}


def named(kind):
    """The names of the controls of one kind, by their number."""
    return sorted((c["name"] for c in CONTROLS if c["kind"] == kind), key=number)


TEXT_BOXES = sorted(named("text box") + named("multi-line text box"), key=number)
BUTTONS = named("push button")
OPTIONS = named("option button")
RESULT_FIELDS = FORM1["result_fields"]
# The twelve fields the buttons read and write, by their number.
VALUE_FIELDS = sorted(FORM1["input_fields"] + RESULT_FIELDS, key=number)
if set(VALUE_FIELDS) != {c["name"] for c in CONTROLS if c.get("look") == "V"}:
    raise ValueError("form1.json: the input and result fields are not the boxes of look V")


def tab_order():
    """The Tab key's stops through the window, first to last: every control but the line. The option
    buttons are one group and one stop, at the first of them while neither is selected."""
    stops = sorted((c["tab"], c["name"]) for c in CONTROLS if c["tab"] is not None)
    return [name for _, name in stops if name not in OPTIONS[1:]]


TAB_ORDER = tab_order()


def pixels(twips):
    """A place or size in twips, in pixels."""
    return [value // TWIPS_PER_PIXEL for value in twips]


def as_shown(text):
    """A multi-line box keeps line breaks as paragraphs: CR LF reads back as one newline."""
    return text.replace("\r\n", "\n")


_design_fields = {}


def design_fields(cli):
    """The window's field that shows each key of brimalox-cli design's JSON, from the core's design
    record as the command line prints it: its value fields come in the window's order (after the
    sides and ACCEPT's recommendation), the order of VALUE_FIELDS."""
    if cli not in _design_fields:
        row = _design_json(cli, "146")[0]
        keys = [key for key in row if key != "sides" and not key.startswith("recommended_")]
        if len(keys) != len(VALUE_FIELDS):
            raise Failure(f"brimalox-cli design's JSON has {len(keys)} value fields, the window {len(VALUE_FIELDS)}")
        _design_fields[cli] = dict(zip(keys, VALUE_FIELDS))
    return _design_fields[cli]


def _design_json(cli, *words):
    run = subprocess.run([cli, "design", *words, "--format", "json"], capture_output=True, text=True)
    if run.returncode != 0:
        raise Failure(f"brimalox-cli design failed ({run.returncode}): {run.stderr.strip()}")
    return json.loads(run.stdout)


def cli_design(cli, *words):
    """What brimalox-cli design prints for the words (frequency and options), as the window's field
    texts: the window must show what the calculation gives."""
    row = _design_json(cli, *words)[0]
    return {field: row[key] for key, field in design_fields(cli).items()}


# --- the notes window ---------------------------------------------------------------------------

NOTES = _read("notes.json")
NOTES_CAPTION = NOTES["window"]["caption"]
NOTES_TEXT = "".join(text + " " * blanks + "\r\n" for text, blanks in NOTES["lines"])
if len(NOTES_TEXT) != NOTES["length"]:
    raise ValueError(f"notes.json spells {len(NOTES_TEXT)} characters, not its length {NOTES['length']}")


# --- checks -------------------------------------------------------------------------------------

class Failure(Exception):
    """Ends a scenario: what it waited for did not come, or it cannot go on."""


class Checks:
    """Collects every mismatch of a scenario, so one run reports them all."""

    def __init__(self):
        self.failures = []

    def equal(self, what, actual, expected):
        if actual == expected:
            return
        if isinstance(actual, str) and isinstance(expected, str) and len(expected) > 80:
            at = next((i for i, (a, e) in enumerate(zip(actual, expected)) if a != e),
                      min(len(actual), len(expected)))
            self.failures.append(f"{what}: {len(actual)} characters, expected {len(expected)}; first "
                                 f"difference at {at}: expected {expected[at:at + 40]!r}, "
                                 f"got {actual[at:at + 40]!r}")
        else:
            self.failures.append(f"{what}: expected {expected!r}, got {actual!r}")

    def true(self, what, condition):
        if not condition:
            self.failures.append(what)

    def report(self):
        """Prints every failure; the exit status of the scenario."""
        for failure in self.failures:
            print("FAIL:", failure)
        return 1 if self.failures else 0
