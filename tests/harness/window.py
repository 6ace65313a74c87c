"""The calculator's Qt window driven as a person and a screen reader drive it: on a private Xvfb
display inside a private D-Bus session, through the accessibility bus (AT-SPI) and X input
(xdotool). What the end-to-end tests and the random session share."""

import os
import select
import shutil
import subprocess
import sys
import tempfile
import time

import harness
from harness import CAPTION, Failure

SKIP = 77  # exit status: the tools are not installed here

# How AT-SPI tells each kind of control.
ROLES = {"text box": "text", "multi-line text box": "text", "push button": "push button",
         "option button": "radio button", "picture box": "image", "line": "frame"}
# The window's controls: accessible role and name, the text a box shows at start, and the outer
# rectangle in twips (Left, Top, Width, Height) from the client area's top-left corner.
LAYOUT = [(c["name"], ROLES[c["kind"]], c["accessible_name"], c["text"] if c["name"] in harness.TEXT_BOXES else None,
           tuple(c["place"])) for c in harness.CONTROLS]


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


def start_xvfb(screen="800x600x24"):
    read_end, write_end = os.pipe()
    process = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp"],
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
        # Settings of its own, so a run neither reads nor changes the user's.
        self.config = tempfile.TemporaryDirectory(prefix="brimalox-e2e-config-")
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_CONFIG_HOME=self.config.name,
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
        self.config.cleanup()


class Window:
    """The main window's controls, found by accessible role and name."""

    def __init__(self, application):
        self.application = application
        self.pyatspi = application.pyatspi
        self.frame = application.frame
        self.client = self.client_area(self.frame)
        self.children = [child for child in self.client if child is not None]
        self.origin = self.extents(self.client)[:2]
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
    def client_area(frame):
        """Where the controls stand: the window's part below its menu bar, the one with the most
        children (the frame itself for a window without a menu bar)."""
        parts = [child for child in frame if child is not None and child.getRoleName() != "menu bar"]
        best = max(parts, key=lambda part: part.childCount, default=None)
        return best if best is not None and best.childCount > len(parts) else frame

    @staticmethod
    def extents(accessible):
        import pyatspi
        box = accessible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def place(self, accessible):
        """Where a control stands in the client area, as the window's layout gives it."""
        x, y, width, height = self.extents(accessible)
        return x - self.origin[0], y - self.origin[1], width, height

    def in_frame(self, accessible):
        """Where a control stands in the top-level X window, for X input sent to that window."""
        x, y, width, height = self.extents(accessible)
        left, top = self.extents(self.frame)[:2]
        return x - left, y - top, width, height

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


def start_window_manager(display, attempts=3):
    """Openbox on the display, as a desktop has it: it gives each new window the focus. It has
    started when it has claimed the screen (_NET_SUPPORTING_WM_CHECK on the root window). One that
    ends before it claims it is started again; a failure says what it last wrote."""
    def claimed():
        said = subprocess.run(["xprop", "-display", display, "-root", "_NET_SUPPORTING_WM_CHECK"],
                              capture_output=True, text=True).stdout
        return "window id" in said

    for attempt in range(1, attempts + 1):
        log = tempfile.TemporaryFile(mode="w+")
        process = subprocess.Popen(["openbox", "--sm-disable"], env=dict(os.environ, DISPLAY=display),
                                   stdout=log, stderr=subprocess.STDOUT)
        try:
            wait_for("the window manager", lambda: claimed() or process.poll() is not None, timeout=15)
            if claimed():
                return process
            why = f"it ended with status {process.returncode}"
        except Failure:
            why = "it was still running"
        process.kill()
        process.wait(10)
        log.seek(0)
        said = log.read()[-1000:].strip() or "nothing"
        print(f"note: openbox did not claim the screen (attempt {attempt}): {why}; it wrote: {said}")
    raise Failure(f"openbox did not claim the screen of {display} in {attempts} attempts")


def on_a_display(program, log_path, drive, window_manager=False):
    """Starts a private Xvfb display (with a window manager if asked) and the program on it, and
    gives back what drive(application, window) returns; a Failure is told with the end of the
    program's output, as status 1. The program and the display are stopped at the end."""
    xvfb, display = start_xvfb()
    os.environ["DISPLAY"] = display
    application = None
    manager = None
    try:
        if window_manager:
            manager = start_window_manager(display)
            os.environ["BRIMALOX_E2E_WM"] = "openbox"
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
        if manager is not None:
            manager.terminate()
            manager.wait(10)
        xvfb.terminate()
        xvfb.wait(10)
