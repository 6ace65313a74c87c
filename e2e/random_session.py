#!/usr/bin/python3
"""A long random session on the real window, checked against the command line after every click.

Starts the calculator on a private Xvfb display inside a private D-Bus session (as window_e2e.py
does) and performs N random actions from a fixed seed: ordinary and hostile texts typed into any
box, option buttons chosen, all seven buttons clicked, the notes and WEBSITE windows opened and
closed, every failure message read and dismissed with OK. The same actions go into a replay script;
after every click `brimalox-cli replay` of the script so far must give the twelve value fields the
window shows, and a failure message exactly when the command line reports a failed click.

    random_session.py --app build/desktop/brimalox --cli build/cli/brimalox-cli --actions 300
                      [--seed 12] [--artefacts DIR]

At the end it prints the differences found, any sanitizer report in the program's output, and the
program's resident memory at the start and the end. Exit status: 0 no difference, 1 differences or
a fault, 77 the environment cannot run it.
"""

import argparse
import ctypes
import ctypes.util
import json
import os
import random
import re
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
import harness  # tests/ is on PYTHONPATH
from harness import window as e2e  # the display, the application, the window's controls

VALUE_FIELDS = harness.VALUE_FIELDS
NOTES_CAPTION = harness.NOTES_CAPTION
BOXES = harness.TEXT_BOXES
BUTTONS = harness.BUTTONS

ORDINARY = ["146", "146.00", "50", "222.5", "0.5", ".064", "1.626", "6", "10", "14", "9009", "90009",
            "900009", "3.25", "0.128", "28", "440", "1296", "2", "1E+07", "7.5e-1"]
HOSTILE = ["", " ", "abc", "fifty", "0", "-0", "-146", "+.5", "1.", ".", "1e", "e5", "--1", "1,5", "1 2",
           "\t146\t", "  50  ", "1e39", "3.4028236e38", "3.4028235e38", "1e308", "1e309", "-1e39",
           "1e-45", "1e-46", "4.9e-324", "1e-400", "inf", "-Infinity", "NaN", "0x10", "1d5", "١٤٦",
           "１４６", "146\u00a0", "\u200b146", "📡146", "é", "ß", "' OR 1=1 --", "%s%n%x", "\\x00",
           "9" * 60, "0." + "0" * 50 + "1", "1" + "0" * 39, "-" * 20, "E" * 10, "9" * 4000]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("l", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


class XWindows:
    """Asks a top-level window to close as a window manager does when its close button is clicked:
    a WM_DELETE_WINDOW client message (there is no window manager on the Xvfb display)."""

    def __init__(self, display):
        self.x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XInternAtom.restype = ctypes.c_ulong
        self.x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        self.x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                        ctypes.c_void_p]
        self.x11.XFlush.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise e2e.Failure(f"cannot open the display {display}")
        self.protocols = self.x11.XInternAtom(self.display, b"WM_PROTOCOLS", 0)
        self.delete = self.x11.XInternAtom(self.display, b"WM_DELETE_WINDOW", 0)

    def close(self, window_id):
        event = XEvent()
        event.xclient.type = 33  # ClientMessage
        event.xclient.window = window_id
        event.xclient.message_type = self.protocols
        event.xclient.format = 32
        event.xclient.l[0] = self.delete
        self.x11.XSendEvent(self.display, window_id, 0, 0, ctypes.byref(event))
        self.x11.XFlush(self.display)


def showing_window(app, name, roles=None):
    for window in app.top_levels():
        if window.name == name and app.showing(window) and (roles is None or window.getRoleName() in roles):
            return window
    return None


def failure_box(app):
    """A failed click's message: a showing alert or dialog other than the WEBSITE window."""
    for window in app.top_levels():
        if window.getRoleName() in ("alert", "dialog") and window.name != "WEBSITE" and app.showing(window):
            return window
    return None


def memory_kib(pid):
    """Resident and peak resident memory of the process, in KiB."""
    values = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "VmHWM"):
                values[key] = int(rest.split()[0])
    return values


class Session:
    def __init__(self, args, app, window):
        self.args = args
        self.app = app
        self.window = window
        self.random = random.Random(args.seed)
        self.script = []
        self.differences = []
        self.counts = {"set": 0, "select": 0, "click": 0, "failures": 0, "notes closed": 0, "website closed": 0}
        self.xwindows = XWindows(os.environ["DISPLAY"])
        self.script_path = os.path.join(args.artefacts, "random_session.replay")

    def differ(self, what):
        print(f"DIFFERENCE after action {len(self.script)}: {what}")
        self.differences.append(what)

    def replay(self):
        with open(self.script_path, "w", encoding="utf-8") as script:
            script.write("".join(line + "\n" for line in self.script))
        run = subprocess.run([self.args.cli, "replay", self.script_path], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
        if run.returncode != 0:
            raise e2e.Failure(f"brimalox-cli replay failed ({run.returncode}): {run.stderr.strip()}")
        return json.loads(run.stdout)

    def text_for_box(self):
        pool = ORDINARY if self.random.random() < 0.5 else HOSTILE
        return self.random.choice(pool)

    def set_text(self):
        box = self.random.choice(VALUE_FIELDS if self.random.random() < 0.8 else BOXES)
        text = self.text_for_box()
        self.window.set_text(box, text)
        self.script.append(f"set {box} {text}")
        self.counts["set"] += 1

    def select(self):
        option = self.random.choice(["Option1", "Option2"])
        self.window.select(option)
        self.script.append(f"select {option}")
        self.counts["select"] += 1

    def click(self):
        button = self.random.choice(BUTTONS)
        self.window.press(button)
        self.script.append(f"click {button}")
        self.counts["click"] += 1
        expected = self.replay()
        outcome = expected["clicks"][-1]
        if not outcome["ok"]:
            self.counts["failures"] += 1
            try:
                box = e2e.wait_for(f"the failure message of {button}", lambda: failure_box(self.app), timeout=30)
            except e2e.Failure:
                self.differ(f"{button}: the command line reports a {outcome['kind']} failure, "
                            "the window showed no message")
                box = None
            if box is not None:
                message = " ".join(e2e.accessible_texts(box))
                kind = outcome["kind"]
                if kind.lower() not in message.lower():
                    self.differ(f"{button}: the message does not name the {kind} failure: {message!r}")
                e2e.press_ok(box)
                e2e.wait_for("the failure message to close", lambda: failure_box(self.app) is None)
        elif failure_box(self.app) is not None:
            self.differ(f"{button}: a failure message where the command line reports none")
            e2e.press_ok(failure_box(self.app))
            e2e.wait_for("the failure message to close", lambda: failure_box(self.app) is None)
        self.compare(expected, f"click {button}")

    def compare(self, expected, what):
        shown = {field: self.window.text(field) for field in VALUE_FIELDS}
        for field in VALUE_FIELDS:
            if shown[field] != expected["fields"][field]:
                self.differ(f"{what}: {field} shows {shown[field][:80]!r}, "
                            f"the command line {expected['fields'][field][:80]!r}")

    def close_notes(self):
        if showing_window(self.app, NOTES_CAPTION) is None:
            return self.click()
        window_id = e2e.xdotool_search(os.environ["DISPLAY"], NOTES_CAPTION)
        if window_id is None:
            raise e2e.Failure("the notes window is on the accessibility bus but not on the display")
        self.xwindows.close(int(window_id))
        e2e.wait_for("the notes window to close", lambda: showing_window(self.app, NOTES_CAPTION) is None)
        self.counts["notes closed"] += 1

    def close_website(self):
        box = showing_window(self.app, "WEBSITE")
        if box is None:
            return self.click()
        e2e.press_ok(box)
        e2e.wait_for("the WEBSITE window to close", lambda: showing_window(self.app, "WEBSITE") is None)
        self.counts["website closed"] += 1

    def run(self, actions):
        steps = [(self.set_text, 45), (self.select, 10), (self.click, 37), (self.close_notes, 4),
                 (self.close_website, 4)]
        doers = [doer for doer, _ in steps]
        weights = [weight for _, weight in steps]
        started = time.monotonic()
        for n in range(actions):
            doer = self.random.choices(doers, weights)[0]
            doer()
            if self.app.process.poll() is not None:
                raise e2e.Failure(f"the calculator exited with status {self.app.process.returncode} "
                                  f"at action {n + 1}")
            if (n + 1) % 500 == 0:
                print(f"{n + 1} actions, {time.monotonic() - started:.0f} s, "
                      f"{len(self.differences)} differences", flush=True)
        # The last state, clicked or not.
        self.compare(self.replay(), "the end")


def sanitizer_reports(log_path):
    with open(log_path, errors="replace") as log:
        text = log.read()
    return re.findall(r"(ERROR: (?:Address|Leak|UndefinedBehavior)Sanitizer[^\n]*|runtime error:[^\n]*)", text)


def run(args):
    log_path = os.path.join(args.artefacts, "random_session.log")

    def long_session(application, window):
        session = Session(args, application, window)
        start_memory = memory_kib(application.process.pid)
        started = time.monotonic()
        try:
            session.run(args.actions)
        finally:
            print(f"seed {args.seed}: {args.actions} actions in {time.monotonic() - started:.0f} s:",
                  ", ".join(f"{v} {k}" for k, v in session.counts.items()))
        end_memory = memory_kib(application.process.pid)
        print(f"resident memory: {start_memory['VmRSS']} KiB at the start, {end_memory['VmRSS']} KiB at the "
              f"end (peak {end_memory['VmHWM']} KiB)")
        # Close the notes window, then the main window, as a person does; the program must then end
        # by itself, cleanly (the notes window alone would keep it running, as any top-level does).
        if showing_window(application, NOTES_CAPTION) is not None:
            session.close_notes()
        main_id = e2e.xdotool_search(os.environ["DISPLAY"], harness.CAPTION)
        if main_id is not None:
            session.xwindows.close(int(main_id))
            try:
                application.process.wait(30)
            except subprocess.TimeoutExpired:
                session.differ("the program did not end when its window was closed")
        status = application.process.poll()
        if status not in (None, 0):
            session.differ(f"the program ended with status {status}")
        application.stop()
        reports = sanitizer_reports(log_path)
        print(f"{len(session.differences)} differences, {len(reports)} sanitizer reports")
        for report in reports[:20]:
            print("  ", report)
        return 1 if session.differences or reports else 0

    return e2e.on_a_display(args.app, log_path, long_session)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--app", required=True, help="the calculator executable")
    parser.add_argument("--cli", required=True, help="brimalox-cli, whose replay is the reference")
    parser.add_argument("--actions", type=int, default=300)
    parser.add_argument("--seed", type=int, default=12)
    parser.add_argument("--artefacts", default=".", help="where the script and the program's output go")
    args = parser.parse_args()
    os.makedirs(args.artefacts, exist_ok=True)
    reason = e2e.cannot_run(["Xvfb", "dbus-run-session", "xdotool"])
    if reason:
        print("skipped:", reason)
        return e2e.SKIP
    # A private session bus and runtime directory, as for the other end-to-end tests.
    return e2e.in_private_bus(__file__, lambda: run(args))

if __name__ == "__main__":
    sys.exit(main())
