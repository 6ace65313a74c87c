#!/usr/bin/python3
"""End-to-end tests of the calculator window, driven the way a screen reader and a person drive it.

Each scenario starts the real executable on a private Xvfb display, inside a private D-Bus session
with Qt's accessibility bridge on, finds the window and its controls on the AT-SPI bus by their
accessible names, and works them through the accessibility interfaces (EditableText, Action, Text,
Component) or, for the xinput and tab_order scenarios, with real X input events from xdotool.
Every wait polls with a timeout.

    window_e2e.py --app build/desktop/brimalox --scenario road [--cli build/cli/brimalox-cli]
                  [--artefacts DIR]

Exit status: 0 passed, 1 failed, 77 the environment cannot run it (no Xvfb, D-Bus, AT-SPI or
xdotool installed).
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import harness  # the window as expected, the checks (tests/ is on PYTHONPATH)
from harness import CAPTION, NOTES_CAPTION, Checks, Failure, as_shown
from harness.window import (LAYOUT, MWM_FUNC_CLOSE, MWM_FUNC_MAXIMIZE, MWM_FUNC_MINIMIZE, MWM_FUNC_RESIZE, SKIP, Window,
                            accessible_texts, cannot_run, cli_design, failure_box, find_descendant, in_private_bus,
                            motif_functions, on_a_display, press_ok, screenshot, screenshot_of, wait_for, xdotool,
                            xdotool_search)

CAPTIONS = {name: harness.BY_NAME[name]["text"] for name in harness.BUTTONS}
# The Tab key's order through the window, round to the start again.
TAB_ORDER = harness.TAB_ORDER + harness.TAB_ORDER[:1]
RESULT_FIELDS = harness.RESULT_FIELDS

# COMPUTE with the start-up texts (146.00 MHz, 1.626 mm), THREE SIDED.
DEFAULT_THREE_SIDED = {"Text23": "421.2329", "Text22": "16.5839716393178", "Text13": "718.234",
                       "Text11": "28.277", "Text17": "266.718", "Text16": "10.501", "Text20": "9.67",
                       "Text19": "0.381"}


def tools_for(scenario):
    tools = ["Xvfb", "dbus-run-session"]
    if scenario in ("xinput", "tab_order", "polish", "check", "cancel", "trim_cover", "keyboard"):
        tools.append("xdotool")
    if scenario == "polish":
        tools.append("xprop")
    return tools


def scenario_layout(app, window, checks, args):
    """Every control at its place, with its default text; neither option selected."""
    x, y, width, height = Window.extents(window.client)
    checks.equal("main window role", window.frame.getRoleName(), "frame")
    checks.equal("client area size in pixels", (width, height), tuple(harness.pixels(harness.WINDOW["client"])))
    # The menu bar stands above the client area, outside it: the window is that much taller.
    menu_bar = [child for child in window.frame if child is not None and child.getRoleName() == "menu bar"]
    checks.equal("menu bars above the client area", len(menu_bar), 1)
    if menu_bar:
        bar = Window.extents(menu_bar[0])
        checks.equal("the client area starts below the menu bar", y, bar[1] + bar[3])
        checks.equal("the window's outer height", Window.extents(window.frame)[3], height + bar[3])
    for control, role, name, default, twips in LAYOUT:
        expected = tuple(harness.pixels(twips))
        actual = window.place(window.controls[control])
        checks.equal(f"{control} ({name!r}) role", window.controls[control].getRoleName(), role)
        if role == "radio button":
            # Qt reports an option button's indicator and caption, not the whole box: it must
            # start at the box's left edge and lie inside the box.
            left, top, w, h = actual
            inside = (left == expected[0] and top >= expected[1] and left + w <= expected[0] + expected[2]
                      and top + h <= expected[1] + expected[3])
            checks.true(f"{control}: {actual} does not lie at the left of {expected}", inside)
        else:
            checks.equal(f"{control} ({name!r}) place in pixels", actual, expected)
        if default is not None:
            checks.equal(f"{control} default text", window.text(control), as_shown(default))
    for control, caption in CAPTIONS.items():
        description = window.controls[control].description
        checks.true(f"{control}: description {description!r} does not say what {caption} does",
                    description.startswith(caption + " ") or description.startswith(caption + ":"))
    for option in ("Option1", "Option2"):
        checks.true(f"{option} is selected at start", not window.checked(option))
    checks.true("the diagram has no description", bool(window.controls["Picture1"].description))


def scenario_road(app, window, checks, args):
    """COMPUTE on the start-up texts, then one whole design: 50 MHz, ACCEPT, AWG 8, CHANGE,
    THREE SIDED, COMPUTE."""
    window.select("Option2")
    window.select("Option1")
    checks.true("FOUR SIDED stays selected along with THREE SIDED", not window.checked("Option2"))
    window.press("Command4")
    window.wait_texts("COMPUTE on the start-up texts, THREE SIDED", DEFAULT_THREE_SIDED)

    window.set_text("Text2", "50")
    window.press("Command7")
    window.wait_texts("ACCEPT at 50 MHz", {"Text8": "4.748", "Text6": "0.187", "Text4": "5"})

    window.set_text("Text4", "8")
    window.press("Command1")
    window.wait_texts("CHANGE below the AWG field with 8", {"Text6": "0.128", "Text8": "3.25", "Text4": "8"})

    window.press("Command4")
    # The series match depends on the frequency alone: 300000 / 50 / 4 x 0.82 = 1230 mm, and
    # 1230 / 25.4 in inches.
    expected = {"Text23": "1230", "Text22": "48.4251968503937"}
    expected.update(cli_design(args.cli, "50", "8"))
    window.wait_texts("COMPUTE at 50 MHz with AWG 8, THREE SIDED", expected)
    checks.equal("frequency field after the road", window.text("Text2"), "50")
    screenshot(args, "road.png", window)


def scenario_failure(app, window, checks, args):
    """A click that fails shows a message naming the button and the kind of failure; once it is
    dismissed the window works on."""
    window.select("Option1")
    window.set_text("Text2", "fifty")
    before = {field: window.text(field) for field in RESULT_FIELDS}
    window.press("Command4")
    box = wait_for("the failure message", lambda: failure_box(app))
    message = " ".join(accessible_texts(box))
    print("message read:", message)
    checks.true(f"the message {message!r} does not name COMPUTE", "COMPUTE" in message)
    checks.true(f"the message {message!r} does not name the failure kind",
                "Conversion failure: type mismatch" in message)
    checks.equal("result fields after the failed COMPUTE",
                 {field: window.text(field) for field in RESULT_FIELDS}, before)
    press_ok(box)
    wait_for("the failure message to close", lambda: failure_box(app) is None)

    window.set_text("Text2", "146.00")
    window.press("Command4")
    window.wait_texts("COMPUTE after the dismissed message", DEFAULT_THREE_SIDED)

    # Each family is told as such, with its detail; a picture of each message is kept.
    messages = [("Text2", "0", "Command7", "Floating-point fault: division by zero", "failure-division.png"),
                ("Text2", "1E39", "Command7", "Conversion failure: overflow", "failure-conversion-overflow.png"),
                ("Text2", "1E-38", "Command4", "Floating-point fault: overflow", "failure-float-overflow.png"),
                ("Text4", "#8", "Command1", "Conversion failure: type mismatch", "failure-awg.png")]
    for field, typed, button, says, picture in messages:
        window.set_text("Text2", "146.00")
        window.set_text(field, typed)
        window.press(button)
        box = wait_for(f"the failure message of {button} with {typed!r}", lambda: failure_box(app))
        message = " ".join(accessible_texts(box))
        print("message read:", message)
        checks.true(f"the message {message!r} does not say {says!r}", says in message)
        screenshot_of(args, picture, box)
        press_ok(box)
        wait_for("the failure message to close", lambda: failure_box(app) is None)
        window.set_text(field, "14" if field == "Text4" else "146.00")


def scenario_xinput(app, window, checks, args):
    """Real mouse clicks and key strokes: type a frequency and click ACCEPT."""
    display = os.environ["DISPLAY"]
    window_id = wait_for("the window on the X display", lambda: xdotool_search(display, CAPTION))

    def click(control):
        left, top, width, height = window.in_frame(window.controls[control])
        xdotool(display, "mousemove", "--window", window_id, str(left + width // 2), str(top + height // 2),
                "click", "1")

    click("Text2")
    wait_for("the frequency field to take the keyboard focus",
             lambda: window.states("Text2").contains(app.pyatspi.STATE_FOCUSED))
    xdotool(display, "key", "--clearmodifiers", "ctrl+a")
    xdotool(display, "type", "--delay", "20", "222")
    wait_for("the typed frequency to show", lambda: window.text("Text2") == "222")
    click("Command7")
    window.wait_texts("ACCEPT clicked with the mouse at 222 MHz", {"Text8": "1.069", "Text6": "0.042", "Text4": "18"})
    screenshot(args, "xinput.png", window)


def scenario_tab_order(app, window, checks, args):
    """The Tab key visits the controls in the window's order."""
    display = os.environ["DISPLAY"]
    window_id = wait_for("the window on the X display", lambda: xdotool_search(display, CAPTION))
    left, top, width, height = window.in_frame(window.controls["Text1"])
    xdotool(display, "mousemove", "--window", window_id, str(left + 4), str(top + height // 2), "click", "1")
    focused = app.pyatspi.STATE_FOCUSED
    wait_for("Text1 to take the focus", lambda: window.states("Text1").contains(focused))
    visited = ["Text1"]
    for expected in TAB_ORDER[1:]:
        xdotool(display, "key", "Tab")
        try:
            wait_for(f"{expected} to take the focus after Tab",
                     lambda: window.states(expected).contains(focused), timeout=30)
            visited.append(expected)
        except Failure:
            now = [c for c, acc in window.controls.items() if acc.getState().contains(focused)]
            checks.true(f"Tab after {visited[-1]} went to {now}, not {expected}", False)
            return


def scenario_notes(app, window, checks, args):
    """NOTES twice: one notes window, holding the notes text, and the main window still works."""
    window.press("Command6")
    notes = wait_for("the notes window", lambda: app.top_level(NOTES_CAPTION))
    box = wait_for("the notes box", lambda: find_descendant(notes, "text", "Design notes"))
    checks.equal("notes text", box.queryText().getText(0, -1), as_shown(harness.NOTES_TEXT))
    x, y, width, height = Window.extents(notes)
    checks.equal("notes window client area in pixels", (width, height),
                 tuple(harness.pixels(harness.NOTES["window"]["client"])))
    window.press("Command6")
    # The second click has run once the button is released; still one notes window.
    count = len([w for w in app.top_levels() if w.name == NOTES_CAPTION and app.showing(w)])
    checks.equal("notes windows after NOTES twice", count, 1)
    window.set_text("Text2", "50")
    window.press("Command7")
    window.wait_texts("ACCEPT with the notes window open", {"Text8": "4.748"})


def scenario_website(app, window, checks, args):
    """WEBSITE tells which program and version this is, and changes no field."""
    fields = [row[0] for row in LAYOUT if row[3] is not None]
    before = {field: window.text(field) for field in fields}
    window.press("Command5")
    info = wait_for("the WEBSITE window", lambda: app.top_level("WEBSITE"))
    message = " ".join(accessible_texts(info))
    print("WEBSITE window read:", message)
    if args.version:
        checks.true(f"the WEBSITE window {message!r} does not give the version {args.version}",
                    f"version {args.version}" in message)
    checks.equal("fields after WEBSITE", {field: window.text(field) for field in fields}, before)
    window.set_text("Text2", "50")
    window.press("Command7")
    window.wait_texts("ACCEPT with the WEBSITE window open", {"Text8": "4.748"})


def scenario_polish(app, window, checks, args):
    """Where the keys go at start and after a failure message, what the frames offer, and what a
    screen reader hears of the right-aligned label and the notes window."""
    display = os.environ["DISPLAY"]
    window_id = wait_for("the window on the X display", lambda: xdotool_search(display, CAPTION))
    focused = app.pyatspi.STATE_FOCUSED
    xdotool(display, "windowfocus", "--sync", window_id)  # what a window manager does for a new window
    wait_for("the frequency field to have the keys at start", lambda: window.states("Text2").contains(focused))
    # The first keys replace the default text, as a user typing a frequency expects.
    xdotool(display, "type", "--delay", "20", "146")
    try:
        wait_for("the first keys typed to replace the frequency field's text", lambda: window.text("Text2") == "146",
                 timeout=30)
    except Failure:
        checks.equal("the frequency field after typing 146 as the first keys", window.text("Text2"), "146")

    # A failed click, its message dismissed with OK: the keys go back where they went before, here
    # the frequency field (the click came through the accessibility bus, which moves no focus).
    window.set_text("Text2", "fifty")
    window.press("Command4")
    box = wait_for("the failure message", lambda: failure_box(app))
    press_ok(box)
    wait_for("the failure message to close", lambda: failure_box(app) is None)
    xdotool(display, "key", "--clearmodifiers", "End")
    xdotool(display, "type", "9")
    wait_for("a key typed after OK to reach the frequency field", lambda: window.text("Text2") == "fifty9")

    window.press("Command6")
    notes = wait_for("the notes window", lambda: app.top_level(NOTES_CAPTION))
    checks.equal("the notes window's role", notes.getRoleName(), "frame")
    for caption in (CAPTION, NOTES_CAPTION):
        functions = motif_functions(display, wait_for(caption, lambda: xdotool_search(display, caption)))
        checks.true(f"{caption} offers resizing or maximising (Motif functions {functions:#x})",
                    functions & (MWM_FUNC_RESIZE | MWM_FUNC_MAXIMIZE) == 0)
        checks.true(f"{caption} does not offer minimising and closing (Motif functions {functions:#x})",
                    functions & MWM_FUNC_MINIMIZE and functions & MWM_FUNC_CLOSE)

    # A size forced from outside is taken back: the client area's and the menu bar's.
    own_size = Window.extents(window.frame)[2:]
    xdotool(display, "windowsize", window_id, "800", "600")
    wait_for("the window to take its own size back", lambda: Window.extents(window.frame)[2:] == own_size)
    checks.equal("the client area's size after a size was forced", Window.extents(window.client)[2:],
                 tuple(harness.pixels(harness.WINDOW["client"])))

    attributes = window.controls["Text21"].queryText().getAttributes(0)[0]
    checks.true(f"Text21 is not told as right-aligned: {attributes!r}", "justification:right" in attributes)

    # A megabyte in a box: read back whole, and ACCEPT judges all of it.
    big = "1" * (1 << 20)
    window.set_text("Text2", big)
    window.press("Command7")
    box = wait_for("the failure message of ACCEPT on a megabyte of digits", lambda: failure_box(app))
    message = " ".join(accessible_texts(box))
    checks.true(f"the message {message!r} does not say overflow", "overflow" in message.lower())
    checks.equal("the megabyte after the click", len(window.text("Text2")), len(big))


def computed_for_the_model(window, args, needs_cli=True):
    """The start-up design computed, THREE SIDED, for a scenario that runs nec2c; the window's X id."""
    if not shutil.which("nec2c"):
        print("skipped: nec2c is not installed")
        raise SystemExit(SKIP)
    if needs_cli and not args.cli:
        raise Failure("this scenario needs --cli to compare the reports with")
    window.select("Option1")
    window.press("Command4")
    window.wait_texts("COMPUTE on the start-up texts, THREE SIDED", DEFAULT_THREE_SIDED)
    return wait_for("the window on the X display", lambda: xdotool_search(os.environ["DISPLAY"], CAPTION))


def scenario_check(app, window, checks, args):
    """CHECK THE DESIGN opened from the menu by keyboard after COMPUTE, run, and its report word for
    word what brimalox-cli simulate prints for the same design."""
    window_id = computed_for_the_model(window, args)
    display = os.environ["DISPLAY"]
    xdotool(display, "windowfocus", "--sync", window_id)
    xdotool(display, "key", "--clearmodifiers", "alt+m")
    time.sleep(0.3)  # the menu opens
    xdotool(display, "key", "c")
    check = wait_for("the CHECK THE DESIGN window", lambda: app.top_level("CHECK THE DESIGN"))
    run = wait_for("the RUN button", lambda: find_descendant(check, "push button", "RUN", depth=8))
    action = run.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))
    report = wait_for("the report box", lambda: find_descendant(check, "text", "REPORT", depth=8))
    shown = wait_for("the report", lambda: report.queryText().getText(0, -1), timeout=120)
    expected = subprocess.run([args.cli, "simulate", "146.00", "--sides", "3"], capture_output=True,
                              text=True).stdout
    checks.equal("the check's report against brimalox-cli simulate's", shown.rstrip("\n"), expected.rstrip("\n"))
    screenshot_of(args, "check.png", check)
    # The main window answers while the check window is open.
    window.set_text("Text2", "50")
    window.press("Command7")
    window.wait_texts("ACCEPT with the check window open", {"Text8": "4.748"})


def do_action(accessible):
    """Its Press (a button) or Toggle (a check box), as a screen reader's user would."""
    action = accessible.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(next((names.index(n) for n in ("Press", "Toggle") if n in names), 0))


def open_by_keys(app, display, window_id, letter, title):
    """A MODEL menu item by Alt+M and its letter, after COMPUTE."""
    xdotool(display, "windowfocus", "--sync", window_id)
    xdotool(display, "key", "--clearmodifiers", "alt+m")
    time.sleep(0.3)  # the menu opens
    xdotool(display, "key", letter)
    return wait_for(f"the {title} window", lambda: app.top_level(title))


def report_of(dialog):
    box = wait_for("the report box", lambda: find_descendant(dialog, "text", "REPORT", depth=8))
    return wait_for("the report", lambda: box.queryText().getText(0, -1), timeout=120)


def scenario_trim_cover(app, window, checks, args):
    """TRIM and COVER BANDS opened from the menu by keyboard: their reports word for word the command
    line's, and USE THIS DESIGN types the search's winner into the window as brimalox-cli cover's
    best.design says it."""
    window_id = computed_for_the_model(window, args)
    display = os.environ["DISPLAY"]

    trim = open_by_keys(app, display, window_id, "t", "TRIM")
    for name, mhz in (("SWR 2:1 AT", "140"), ("AND AT", "181.5")):
        box = wait_for(f"the {name} box", lambda: find_descendant(trim, "text", name, depth=8))
        box.queryEditableText().setTextContents(mhz)
    do_action(wait_for("the TRIM button", lambda: find_descendant(trim, "push button", "TRIM", depth=8)))
    expected = subprocess.run([args.cli, "trim", "146.00", "--sides", "3", "--measured-2to1", "140:181.5"],
                              capture_output=True, text=True).stdout
    checks.equal("the trim's report against brimalox-cli trim's", report_of(trim).rstrip("\n"),
                 expected.rstrip("\n"))
    feed = find_descendant(trim, "check box", "FEED SYSTEM", depth=8)
    if feed is not None:  # its settings shown for the picture
        do_action(feed)
        time.sleep(0.3)
    screenshot_of(args, "trim.png", trim)

    cover = open_by_keys(app, display, window_id, "o", "COVER BANDS")
    do_action(wait_for("the 2 M box", lambda: find_descendant(cover, "check box", "2 M", depth=8)))
    do_action(wait_for("the SEARCH button", lambda: find_descendant(cover, "push button", "SEARCH", depth=8)))
    run = subprocess.run([args.cli, "cover", "--band", "144:148"], capture_output=True, text=True)
    checks.equal("the search's report against brimalox-cli cover's", report_of(cover).rstrip("\n"),
                 run.stdout.rstrip("\n"))
    screenshot_of(args, "cover.png", cover)
    best = json.loads(subprocess.run([args.cli, "cover", "--band", "144:148", "--format", "json"],
                                     capture_output=True, text=True).stdout)["best"]["design"]
    use = wait_for("USE THIS DESIGN to be offered",
                   lambda: (lambda b: b if b and b.getState().contains(app.pyatspi.STATE_ENABLED) else None)(
                       find_descendant(cover, "push button", "USE THIS DESIGN", depth=8)))
    do_action(use)
    fields = harness.design_fields(args.cli)
    window.wait_texts("USE THIS DESIGN", {fields[key]: value for key, value in best.items() if key in fields})


def nec2c_children(pid):
    """The nec2c processes the program has running."""
    found = 0
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/stat") as stat:
                    fields = stat.read().split()
            except OSError:
                continue
            if fields[1] == "(nec2c)" and fields[3] == str(pid):
                found += 1
    return found


def find_role(accessible, role, depth=8):
    for child in accessible:
        if child is None:
            continue
        if child.getRoleName() == role:
            return child
        found = find_role(child, role, depth - 1) if depth > 0 else None
        if found is not None:
            return found
    return None


def engine_folders():
    return [name for name in os.listdir(os.environ["TMPDIR"]) if name.startswith("brimalox-nec-")]


def scenario_cancel(app, window, checks, args):
    """A check over average ground (slow) cancelled: nec2c gone at once, no folder left; run again
    and quit with Ctrl+Q in the middle: the program ends with no nec2c and no folder behind it."""
    window_id = computed_for_the_model(window, args, needs_cli=False)
    display = os.environ["DISPLAY"]
    pid = app.process.pid
    xdotool(display, "windowfocus", "--sync", window_id)
    xdotool(display, "key", "--clearmodifiers", "F5")
    check = wait_for("the CHECK THE DESIGN window", lambda: app.top_level("CHECK THE DESIGN"))
    ground = wait_for("the ground box", lambda: find_role(check, "combo box"))
    check_id = wait_for("the check window on the X display", lambda: xdotool_search(display, "CHECK THE DESIGN"))
    xdotool(display, "windowfocus", "--sync", check_id)
    x, y, width, height = Window.extents(ground)
    xdotool(display, "mousemove", str(x + width // 2), str(y + height // 2), "click", "1")  # the list opens
    time.sleep(0.3)
    xdotool(display, "key", "a", "Return")  # average, the first ground that starts so
    wait_for("the average ground chosen", lambda: ground.name.startswith("average"), timeout=30)
    height = wait_for("the height box", lambda: find_descendant(check, "text", "HEIGHT", depth=8))
    height.queryEditableText().setTextContents("10")

    def press(name):
        button = wait_for(f"the {name} button", lambda: find_descendant(check, "push button", name, depth=8))
        action = button.queryAction()
        action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))

    press("RUN")
    wait_for("nec2c to run", lambda: nec2c_children(pid) > 0)
    started = time.monotonic()
    press("CANCEL")
    wait_for("nec2c to end after CANCEL", lambda: nec2c_children(pid) == 0, timeout=10)
    checks.true(f"nec2c ended {time.monotonic() - started:.2f} s after CANCEL", time.monotonic() - started < 1)
    status = wait_for("the window to say it was cancelled",
                      lambda: [t for t in accessible_texts(check, 8) if t.startswith("Cancelled")], timeout=30)
    print("check window says:", status[0])
    checks.equal("folders left after CANCEL", engine_folders(), [])
    screenshot_of(args, "cancel.png", check)

    press("RUN")
    wait_for("nec2c to run again", lambda: nec2c_children(pid) > 0)
    xdotool(display, "windowfocus", "--sync", window_id)
    xdotool(display, "key", "--clearmodifiers", "ctrl+q")
    app.process.wait(10)
    checks.equal("the program's exit status after QUIT", app.process.returncode, 0)
    checks.equal("nec2c left after QUIT", nec2c_children(pid), 0)
    checks.equal("folders left after QUIT", engine_folders(), [])


def all_under(accessible, depth=10):
    for child in accessible:
        if child is not None:
            yield child
            if depth > 0:
                yield from all_under(child, depth - 1)


def focused_in(app, window):
    """The control of the window that has the keys, or None."""
    return next((child for child in all_under(window) if child.getState().contains(app.pyatspi.STATE_FOCUSED)),
                None)


def focus_of(app, window):
    """What has the keys: its role, name and place, or Nones."""
    now = focused_in(app, window)
    return (now.getRoleName(), now.name, Window.extents(now)) if now is not None else (None, None, None)


def press_and_wait(app, window, key, before):
    """A key that moves the keys, and the wait until they have moved: never one key too many."""
    keys(key)
    wait_for(f"{key} to move the keys from {before[:2]}", lambda: focus_of(app, window) != before)


def current_tab(app, tabs):
    return [tab.name for tab in tabs if tab is not None and tab.getState().contains(app.pyatspi.STATE_FOCUSED)]


BUTTON_ROLES = ("push button", "toggle button", "check box", "radio button")


def unfocusable_buttons(app, window):
    """The window's buttons a user cannot reach with Tab, by name."""
    return [f"{child.getRoleName()} {child.name!r}" for child in all_under(window)
            if child.getRoleName() in BUTTON_ROLES and not child.getState().contains(app.pyatspi.STATE_FOCUSABLE)]


def keys(*names):
    xdotool(os.environ["DISPLAY"], "key", "--clearmodifiers", "--delay", "30", *names)


def type_text(text):
    xdotool(os.environ["DISPLAY"], "type", "--delay", "20", text)


def focus_window(title):
    display = os.environ["DISPLAY"]
    window_id = wait_for(f"{title} on the X display", lambda: xdotool_search(display, title))
    if os.environ.get("BRIMALOX_E2E_WM"):  # the window manager gives a new window the focus itself
        wait_for(f"{title} to have the focus",
                 lambda: subprocess.run(["xdotool", "getwindowfocus"], env=dict(os.environ, DISPLAY=display),
                                        capture_output=True, text=True).stdout.strip() == window_id)
    else:
        xdotool(display, "windowfocus", "--sync", window_id)


def scenario_keyboard(app, window, checks, args):
    """The road and every added window by keyboard alone: Return on Form1's buttons; CHECK run by
    Return from a setting, its table left by Tab, closed by Escape; TRIM from an analyser's file;
    COVER BANDS; the build sheet's preview saved by Ctrl+S as the command line's PDF. Every button
    of every added window can take the focus."""
    if not shutil.which("nec2c") or not args.cli:
        print("skipped: this scenario needs nec2c and --cli")
        raise SystemExit(SKIP)
    focus_window(CAPTION)
    # The frequency has the keys at start; Tab walks Form1's own order to ACCEPT, the option
    # buttons and COMPUTE, and Return clicks the focused button.
    order = harness.TAB_ORDER
    at = order.index("Text2")

    def tab_to(name):
        nonlocal at
        steps = (order.index(name) - at) % len(order)
        if steps:
            keys(*["Tab"] * steps)
        at = order.index(name)

    tab_to("Command7")
    keys("Return")
    tab_to("Option1")
    keys("space")
    tab_to("Command4")
    keys("Return")
    window.wait_texts("ACCEPT, THREE SIDED and COMPUTE by keyboard", DEFAULT_THREE_SIDED)

    keys("F5")
    check = wait_for("the CHECK THE DESIGN window", lambda: app.top_level("CHECK THE DESIGN"))
    focus_window("CHECK THE DESIGN")
    keys("Return")  # from the first setting: RUN
    expected = subprocess.run([args.cli, "simulate", "146.00", "--sides", "3"], capture_output=True,
                              text=True).stdout
    checks.equal("the check run by Return, against brimalox-cli simulate", report_of(check).rstrip("\n"),
                 expected.rstrip("\n"))
    checks.equal("CHECK's buttons that cannot take the focus", unfocusable_buttons(app, check), [])
    # Tab to the report, Shift+Tab to the result tabs above it, Right to SWEEP, Tab into the table
    # and Tab out of it again.
    for _ in range(40):
        now = focus_of(app, check)
        if now[:2] == ("text", "REPORT"):
            break
        press_and_wait(app, check, "Tab", now)
    press_and_wait(app, check, "shift+Tab", focus_of(app, check))
    sweep = wait_for("the SWEEP tab", lambda: find_descendant(check, "page tab", "SWEEP", depth=8))
    for _ in range(6):
        if sweep.getState().contains(app.pyatspi.STATE_FOCUSED):  # Qt's current tab
            break
        current = current_tab(app, sweep.parent)
        keys("Right")
        wait_for("Right to move to the next tab", lambda: current_tab(app, sweep.parent) != current)
    checks.true("Right on the result tabs reaches SWEEP", sweep.getState().contains(app.pyatspi.STATE_FOCUSED))
    keys("Tab")
    inside = wait_for("the sweep table to have the keys",
                      lambda: (lambda f: f.getRoleName() if f is not None else None)(focused_in(app, check)))
    checks.true(f"Tab from the tabs goes into the table, not {inside!r}", inside in ("table", "table cell"))
    keys("Tab")
    left = wait_for("the keys somewhere", lambda: focused_in(app, check), timeout=30)
    checks.true(f"Tab leaves the table, to {left.getRoleName()!r}", left.getRoleName() not in ("table", "table cell"))
    keys("Escape")
    wait_for("Escape to close CHECK THE DESIGN", lambda: app.top_level("CHECK THE DESIGN") is None, timeout=30)

    # TRIM from an analyser's file: the model of the design built for 150 MHz stands in for it.
    with tempfile.TemporaryDirectory(prefix="brimalox-e2e-files-") as files:
        measured = os.path.join(files, "built.s1p")
        subprocess.run([args.cli, "simulate", "150", "--touchstone", measured], capture_output=True, check=True)
        focus_window(CAPTION)
        keys("F6")
        trim = wait_for("the TRIM window", lambda: app.top_level("TRIM"))
        checks.equal("TRIM's buttons that cannot take the focus", unfocusable_buttons(app, trim), [])
        focus_window("TRIM")
        keys("alt+o")  # OPEN...: the file dialog
        wait_for("the file dialog", lambda: app.top_level("OPEN A MEASURED FILE"))
        time.sleep(0.3)
        type_text(measured)
        keys("Return")
        wait_for("the file to be opened", lambda: app.top_level("OPEN A MEASURED FILE") is None)
        focus_window("TRIM")
        keys("alt+t")  # TRIM
        expected = subprocess.run([args.cli, "trim", "146.00", "--sides", "3", "--measured", "built.s1p"],
                                  capture_output=True, text=True, cwd=files).stdout  # named as the window names it
        checks.equal("the trim from a file, against brimalox-cli trim", report_of(trim).rstrip("\n"),
                     expected.rstrip("\n"))
        keys("Escape")
        wait_for("Escape to close TRIM", lambda: app.top_level("TRIM") is None, timeout=30)

        focus_window(CAPTION)
        keys("F7")
        cover = wait_for("the COVER BANDS window", lambda: app.top_level("COVER BANDS"))
        focus_window("COVER BANDS")
        keys("space", "Return")  # the first control, 2 M, ticked; Return from it: SEARCH
        run = subprocess.run([args.cli, "cover", "--band", "144:148"], capture_output=True, text=True)
        checks.equal("the search by keyboard, against brimalox-cli cover", report_of(cover).rstrip("\n"),
                     run.stdout.rstrip("\n"))
        checks.equal("COVER's buttons that cannot take the focus", unfocusable_buttons(app, cover), [])
        screenshot_of(args, "keyboard-cover.png", cover)
        # The whole screen: the window manager's frames round the windows.
        subprocess.run(["import", "-window", "root", os.path.join(args.artefacts, "keyboard-screen.png")], check=True)
        keys("Escape")
        wait_for("Escape to close COVER BANDS", lambda: app.top_level("COVER BANDS") is None, timeout=30)

        # The preview: Ctrl+S offers the design's name; the PDF reads as the command line's.
        focus_window(CAPTION)
        keys("ctrl+b")
        preview = wait_for("the build sheet's preview", lambda: app.top_level("BUILD SHEET"))
        checks.equal("the preview's buttons that cannot take the focus", unfocusable_buttons(app, preview), [])
        focus_window("BUILD SHEET")
        keys("ctrl+s")
        wait_for("the save dialog", lambda: app.top_level("SAVE THE BUILD SHEET AS PDF"))
        time.sleep(0.3)
        saved = os.path.join(files, "saved.pdf")
        keys("ctrl+a")
        type_text(saved)
        keys("Return")
        wait_for("the PDF to be written", lambda: os.path.exists(saved) and os.path.getsize(saved) > 0)
        cli_pdf = os.path.join(files, "cli.pdf")
        # With the check's figures: the check above ran on the design the window shows.
        subprocess.run([args.cli, "sheet", "146.00", "--model", "--format", "pdf", "--date", time.strftime("%Y-%m-%d"),
                        "-o", cli_pdf], check=True)
        text = [subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True).stdout
                for pdf in (saved, cli_pdf)]
        checks.true("the saved PDF has its text", "SERIES MATCH" in text[0])
        checks.equal("the saved PDF's text against brimalox-cli sheet's", text[0], text[1])
        keys("Escape")


SCENARIOS = {"layout": scenario_layout, "road": scenario_road, "failure": scenario_failure,
             "xinput": scenario_xinput, "tab_order": scenario_tab_order, "notes": scenario_notes,
             "website": scenario_website, "polish": scenario_polish, "check": scenario_check,
             "cancel": scenario_cancel, "trim_cover": scenario_trim_cover, "keyboard": scenario_keyboard}


# --- helpers of the scenarios ----------------------------------------------------------------

def run(args):
    if "BRIMALOX_E2E_TMPDIR" in os.environ:
        os.environ["TMPDIR"] = os.environ["BRIMALOX_E2E_TMPDIR"]

    def scenario(application, window):
        checks = Checks()
        SCENARIOS[args.scenario](application, window, checks, args)
        if application.process.poll() is not None and args.scenario != "cancel":  # that one quits
            checks.true(f"the calculator exited with status {application.process.returncode}", False)
        return checks.report()

    # The keyboard alone, as under a desktop: a window manager gives each window the focus.
    manager = args.scenario == "keyboard" and shutil.which("openbox") is not None
    return on_a_display(args.app, os.path.join(args.artefacts, f"{args.scenario}.log"), scenario, manager)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--app", required=True, help="the calculator executable")
    parser.add_argument("--scenario", required=True, choices=sorted(SCENARIOS))
    parser.add_argument("--cli", help="brimalox-cli, to compare the road's results with")
    parser.add_argument("--artefacts", default=".", help="where screenshots and logs go")
    parser.add_argument("--version", help="the version the WEBSITE window must give")
    args = parser.parse_args()
    os.makedirs(args.artefacts, exist_ok=True)

    reason = cannot_run(tools_for(args.scenario))
    if reason:
        print("skipped:", reason)
        return SKIP
    if args.scenario == "cancel" and "BRIMALOX_E2E_TMPDIR" not in os.environ:
        # The engine's folders go to a directory of the scenario's own, so it sees whether one is left.
        with tempfile.TemporaryDirectory(prefix="brimalox-e2e-tmp-") as folders:
            os.environ["BRIMALOX_E2E_TMPDIR"] = folders
            return in_private_bus(__file__, lambda: run(args))
    return in_private_bus(__file__, lambda: run(args))

if __name__ == "__main__":
    sys.exit(main())
