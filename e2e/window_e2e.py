#!/usr/bin/python3
"""End-to-end tests of the calculator window, driven the way a screen reader and a person drive it.

Each scenario starts the real executable on a private Xvfb display, inside a private D-Bus session
with Qt's accessibility bridge on, finds the window and its controls on the AT-SPI bus by their
accessible names, and works them through the accessibility interfaces (EditableText, Action, Text,
Component) or, for the xinput and tab_order scenarios, with real X input events from xdotool.
Every wait polls with a timeout.

    window_e2e.py --app build/app/qt/brimalox --scenario road [--cli build/cli/brimalox-cli]
                  [--artefacts DIR]

Exit status: 0 passed, 1 failed, 77 the environment cannot run it (no Xvfb, D-Bus, AT-SPI or
xdotool installed).
"""

import argparse
import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "tests"))
import harness  # noqa: E402  (the window as expected, the checks)
from harness import CAPTION, NOTES_CAPTION, Checks, Failure, as_shown  # noqa: E402

# How AT-SPI tells each kind of control.
ROLES = {"text box": "text", "multi-line text box": "text", "push button": "push button",
         "option button": "radio button", "picture box": "image", "line": "frame"}
# The window's controls: accessible role and name, the text a box shows at start, and the outer
# rectangle in twips (Left, Top, Width, Height) from the client area's top-left corner.
LAYOUT = [(c["name"], ROLES[c["kind"]], c["accessible_name"], c["text"] if c["name"] in harness.TEXT_BOXES else None,
           tuple(c["place"])) for c in harness.CONTROLS]
CAPTIONS = {name: harness.BY_NAME[name]["text"] for name in harness.BUTTONS}
# The Tab key's order through the window, round to the start again.
TAB_ORDER = harness.TAB_ORDER + harness.TAB_ORDER[:1]
RESULT_FIELDS = harness.RESULT_FIELDS
SKIP = 77

# COMPUTE with the start-up texts (146.00 MHz, 1.626 mm), THREE SIDED.
DEFAULT_THREE_SIDED = {"Text23": "421.2329", "Text22": "16.5839716393178", "Text13": "718.234",
                       "Text11": "28.277", "Text17": "266.718", "Text16": "10.501", "Text20": "9.67",
                       "Text19": "0.381"}


def wait_for(what, probe, timeout=10.0, interval=0.02):
    """Polls probe() until it returns something true; fails naming what was awaited."""
    deadline = time.monotonic() + timeout
    last_error = None
    while True:
        try:
            value = probe()
            if value:
                return value
        except Failure:
            raise
        except Exception as error:  # the bus may not answer while the application starts
            last_error = error
        if time.monotonic() > deadline:
            detail = f" (last error: {last_error})" if last_error else ""
            raise Failure(f"timed out after {timeout:.0f} s waiting for {what}{detail}")
        time.sleep(interval)


# --- the environment -------------------------------------------------------------------------

def tools_for(scenario):
    tools = ["Xvfb", "dbus-run-session"]
    if scenario in ("xinput", "tab_order", "polish"):
        tools.append("xdotool")
    if scenario == "polish":
        tools.append("xprop")
    return tools


def cannot_run(tools):
    """Why this machine cannot drive the window with these tools, or None when it can."""
    missing = [tool for tool in tools if not shutil.which(tool)]
    if missing:
        return "not installed: " + ", ".join(missing)
    try:
        import importlib.util
        import gi
        gi.require_version("Atspi", "2.0")
        if importlib.util.find_spec("pyatspi") is None:
            raise ImportError("no module named pyatspi")
    except (ImportError, ValueError) as error:
        return f"no AT-SPI for Python ({error}); Debian: python3-pyatspi gir1.2-atspi-2.0"
    return None


def in_private_bus(script, run):
    """run() inside a private session bus, so the test neither sees nor disturbs a desktop's
    applications, and a private runtime directory: the accessibility bus puts its socket there, and
    runs side by side would otherwise share it. The script starts again inside dbus-run-session."""
    if os.environ.get("BRIMALOX_E2E_BUS") == str(os.getpid()):
        return run()
    command = [sys.executable, os.path.abspath(script)] + sys.argv[1:]
    shell = 'BRIMALOX_E2E_BUS=$$ exec "$@"'
    with tempfile.TemporaryDirectory(prefix="brimalox-e2e-") as runtime_dir:
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir)
        return subprocess.run(["dbus-run-session", "--", "sh", "-c", shell, "sh"] + command, env=env).returncode


def start_xvfb():
    read_end, write_end = os.pipe()
    process = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "800x600x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        ready, _, _ = select.select([read_end], [], [], 20)
        chunk = os.read(read_end, 16) if ready else b""
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip():
        process.kill()
        raise Failure("Xvfb did not report a display")
    return process, ":" + number.decode().strip()


class Application:
    """The calculator under test, started on the display with the accessibility bridge on."""

    def __init__(self, program, display, log_path):
        import pyatspi
        self.pyatspi = pyatspi
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        self.log = open(log_path, "w")
        self.process = subprocess.Popen([program], env=env, stdout=self.log, stderr=subprocess.STDOUT)
        self.name = os.path.basename(program)
        try:
            self.app = wait_for(f"{self.name} on the accessibility bus", self._find_app, timeout=30)
        except Failure:
            self.stop()
            raise
        # Read every property from the application itself, never from a cache that events update.
        from gi.repository import Atspi
        self.app.set_cache_mask(Atspi.Cache.NONE)
        self.frame = wait_for(f"the window {CAPTION!r}", lambda: self.top_level(CAPTION))

    def _find_app(self):
        if self.process.poll() is not None:
            raise Failure(f"{self.name} exited with status {self.process.returncode} at start")
        for app in self.pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == self.process.pid:
                return app
        return None

    def top_levels(self):
        return [child for child in self.app if child is not None]

    def top_level(self, name):
        found = [window for window in self.top_levels() if window.name == name and self.showing(window)]
        return found[0] if found else None

    def showing(self, accessible):
        return accessible.getState().contains(self.pyatspi.STATE_SHOWING)

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()


class Window:
    """The main window's controls, found by accessible role and name."""

    def __init__(self, application):
        self.application = application
        self.pyatspi = application.pyatspi
        self.frame = application.frame
        self.children = [child for child in self.frame if child is not None]
        self.origin = self.extents(self.frame)[:2]
        self.controls = {}
        for control, role, name, _, twips in LAYOUT:
            candidates = [c for c in self.children if c.getRoleName() == role and c.name == name]
            if not candidates:
                present = sorted({(c.getRoleName(), c.name) for c in self.children})
                raise Failure(f"{control}: no {role} named {name!r} in the window; it has {present}")
            # Two unit labels read "MM": tell them apart by where they stand.
            expected = harness.pixels(twips)
            candidates.sort(key=lambda c: sum(abs(a - b) for a, b in zip(self.place(c), expected)))
            self.controls[control] = candidates[0]

    @staticmethod
    def extents(accessible):
        import pyatspi
        box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def place(self, accessible):
        x, y, width, height = self.extents(accessible)
        return x - self.origin[0], y - self.origin[1], width, height

    def text(self, control):
        # On a loaded machine the bus has answered, for a moment, without the box's text interface
        # (NotImplementedError from pyatspi): ask again for a while; a box that never has one still fails.
        text = wait_for(f"{control}'s text interface", self.controls[control].queryText, timeout=5)
        return text.getText(0, -1)

    def set_text(self, control, value):
        self.controls[control].queryEditableText().setTextContents(value)
        wait_for(f"{control} to read back {value!r}", lambda: self.text(control) == value, timeout=5)

    def states(self, control):
        return self.controls[control].getState()

    def checked(self, control):
        return self.states(control).contains(self.pyatspi.STATE_CHECKED)

    def do_action(self, control, action_name):
        action = self.controls[control].queryAction()
        names = [action.getName(i) for i in range(action.nActions)]
        if action_name not in names:
            raise Failure(f"{control} offers no {action_name!r} action, only {names}")
        action.doAction(names.index(action_name))

    def press(self, control):
        """Presses a button through its action and waits until the click has been delivered: the
        button shows pressed until its click has run."""
        self.do_action(control, "Press")
        wait_for(f"{control} to be released after its click",
                 lambda: not self.states(control).contains(self.pyatspi.STATE_PRESSED))

    def select(self, option):
        self.do_action(option, "Toggle")
        wait_for(f"{option} to be selected", lambda: self.checked(option), timeout=5)

    def wait_texts(self, what, expected, timeout=10):
        """Waits until every field shows its expected text; on time-out names those that differ."""
        try:
            wait_for(what, lambda: all(self.text(f) == t for f, t in expected.items()), timeout)
        except Failure:
            differ = {f: self.text(f) for f, t in expected.items() if self.text(f) != t}
            raise Failure(f"{what}: fields differ from {expected}: {differ}") from None


# --- scenarios -------------------------------------------------------------------------------

def scenario_layout(app, window, checks, args):
    """Every control at its place, with its default text; neither option selected."""
    x, y, width, height = Window.extents(window.frame)
    checks.equal("main window role", window.frame.getRoleName(), "frame")
    checks.equal("client area size in pixels", (width, height), tuple(harness.pixels(harness.WINDOW["client"])))
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
        left, top, width, height = window.place(window.controls[control])
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
    left, top, width, height = window.place(window.controls["Text1"])
    xdotool(display, "mousemove", "--window", window_id, str(left + 4), str(top + height // 2), "click", "1")
    focused = app.pyatspi.STATE_FOCUSED
    wait_for("Text1 to take the focus", lambda: window.states("Text1").contains(focused))
    visited = ["Text1"]
    for expected in TAB_ORDER[1:]:
        xdotool(display, "key", "Tab")
        try:
            wait_for(f"{expected} to take the focus after Tab",
                     lambda: window.states(expected).contains(focused), timeout=3)
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
                 timeout=3)
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

    # A size forced from outside is taken back.
    xdotool(display, "windowsize", window_id, "800", "600")
    wait_for("the window to take its own size back",
             lambda: Window.extents(window.frame)[2:] == tuple(harness.pixels(harness.WINDOW["client"])))

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


SCENARIOS = {"layout": scenario_layout, "road": scenario_road, "failure": scenario_failure,
             "xinput": scenario_xinput, "tab_order": scenario_tab_order, "notes": scenario_notes,
             "website": scenario_website, "polish": scenario_polish}


# --- helpers of the scenarios ----------------------------------------------------------------

def find_descendant(accessible, role, name, depth=6):
    for child in accessible:
        if child is None:
            continue
        if child.getRoleName() == role and child.name == name:
            return child
        if depth > 0:
            found = find_descendant(child, role, name, depth - 1)
            if found is not None:
                return found
    return None


def press_ok(box):
    """Dismisses a message box with its OK button, pressed through its action."""
    ok = wait_for("the message's OK button", lambda: find_descendant(box, "push button", "OK"))
    action = ok.queryAction()
    action.doAction([action.getName(i) for i in range(action.nActions)].index("Press"))


def accessible_texts(accessible, depth=6):
    """Every name, description and text under a window: what a screen reader can read out."""
    texts = [accessible.name or "", accessible.description or ""]
    try:
        texts.append(accessible.queryText().getText(0, -1))
    except NotImplementedError:
        pass
    if depth > 0:
        for child in accessible:
            if child is not None:
                texts.extend(accessible_texts(child, depth - 1))
    return [text for text in texts if text]


def failure_box(app):
    """The message box of a failed click: a showing alert or dialog (the main window is a frame)."""
    for window in app.top_levels():
        if window.getRoleName() in ("alert", "dialog") and app.showing(window):
            return window
    return None


def xdotool(display, *arguments):
    subprocess.run(["xdotool", *arguments], env=dict(os.environ, DISPLAY=display), check=True,
                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)


MWM_FUNC_RESIZE, MWM_FUNC_MINIMIZE, MWM_FUNC_MAXIMIZE, MWM_FUNC_CLOSE = 0x2, 0x8, 0x10, 0x20


def motif_functions(display, window_id):
    """The functions a window offers its window manager in its _MOTIF_WM_HINTS (all when it says none)."""
    found = subprocess.run(["xprop", "-id", window_id, "_MOTIF_WM_HINTS"], env=dict(os.environ, DISPLAY=display),
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout
    if "=" not in found:
        return 0x3E
    flags, functions = (int(v, 16) for v in found.split("=")[1].split(",")[:2])
    return functions if flags & 0x1 else 0x3E


def xdotool_search(display, caption):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{caption}$"],
                           env=dict(os.environ, DISPLAY=display), stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, text=True)
    ids = found.stdout.split()
    return ids[0] if ids else None


def cli_design(cli, frequency, awg):
    """The height, side and gap that the command line computes for the same design."""
    if not cli:
        print("note: no brimalox-cli given; height, side and gap after the road are not compared")
        return {}
    if not os.access(cli, os.X_OK):
        raise Failure(f"{cli} is not built")
    fields = harness.cli_design(cli, frequency, "--awg", awg, "--sides", "3")
    return {field: fields[field] for field in ("Text13", "Text11", "Text17", "Text16", "Text20", "Text19")}


def screenshot(args, name, window):
    screenshot_of(args, name, window.frame)


def screenshot_of(args, name, accessible):
    if not shutil.which("import"):
        print(f"note: ImageMagick's import is not installed; no screenshot {name}")
        return
    path = os.path.join(args.artefacts, name)
    x, y, width, height = Window.extents(accessible)
    subprocess.run(["import", "-window", "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", path],
                   check=True)
    print(f"screenshot: {path}")


# --- main ------------------------------------------------------------------------------------

def on_a_display(program, log_path, drive):
    """Starts a private Xvfb display and the program on it, and gives back what drive(application,
    window) returns; a Failure is told with the end of the program's output, as status 1. The program
    and the display are stopped at the end."""
    xvfb, display = start_xvfb()
    os.environ["DISPLAY"] = display
    application = None
    try:
        application = Application(program, display, log_path)
        return drive(application, Window(application))
    except Failure as failure:
        print("FAIL:", failure)
        if os.path.exists(log_path):
            with open(log_path, errors="replace") as log:
                print(f"--- {log_path}\n{log.read()[-3000:]}")
        return 1
    finally:
        if application is not None:
            application.stop()
        xvfb.terminate()
        xvfb.wait(10)


def run(args):
    def scenario(application, window):
        checks = Checks()
        SCENARIOS[args.scenario](application, window, checks, args)
        if application.process.poll() is not None:
            checks.true(f"the calculator exited with status {application.process.returncode}", False)
        return checks.report()

    return on_a_display(args.app, os.path.join(args.artefacts, f"{args.scenario}.log"), scenario)


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
    return in_private_bus(__file__, lambda: run(args))

if __name__ == "__main__":
    sys.exit(main())
