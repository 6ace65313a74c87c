#!/usr/bin/python3
"""Start-up time and memory of the calculator window against a bare Qt window of the same size.

The programs are started in turn, several times each, on a private Xvfb display: the calculator,
the bare window and, with --texts, a window that paints the calculator's texts and diagram with no
widgets (the floor for showing them). For each start it measures the time from spawn to the
window being mapped (the X server's MapNotify, seen by a client listening on the root window), the
time from spawn to the first paint reaching the screen (the first DAMAGE report after the map: the
moment a person sees the window's contents), and the peak resident memory (VmHWM) once the process
has gone idle. It prints the medians and each program's ratios to the bare window.

    startup.py --app build/desktop/brimalox --bare build/bench/startup/brimalox_bare_window
               [--texts build/bench/startup/brimalox_texts_only] [--runs 15] [--a11y] [--json results.json]

--a11y runs them all inside a private D-Bus session with Qt's accessibility bridge forced on, as
under a screen reader. Exit status 77: Xvfb is not installed, nothing was measured.
"""

import argparse
import ctypes
import json
import os
import select
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")


class Xvfb:
    """A private X server; picks a free display number itself (-displayfd)."""

    def __init__(self):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        ready, _, _ = select.select([read_end], [], [], 20)
        while ready:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
            if number.endswith(b"\n"):
                break
        os.close(read_end)
        if not number.strip():
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()

    def stop(self):
        self.process.terminate()
        self.process.wait(10)


class MapListener:
    """Listens on the root window for top-level windows being mapped, and for drawing anywhere on
    the screen (a DAMAGE object on the root window reports the drawing of its inferiors too)."""

    DAMAGE_REPORT_NON_EMPTY = 3

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XPending.argtypes = [ctypes.c_void_p]
        self.x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        self.damage = ctypes.CDLL("libXdamage.so.1")
        self.damage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                      ctypes.POINTER(ctypes.c_int)]
        self.damage.XDamageCreate.restype = ctypes.c_ulong
        self.damage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        self.damage.XDamageSubtract.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
        self.dpy = self.x11.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        if not self.damage.XDamageQueryExtension(self.dpy, ctypes.byref(event_base), ctypes.byref(error_base)):
            raise RuntimeError("the X server has no DAMAGE extension")
        self.damage_notify = event_base.value  # XDamageNotify is the extension's first event
        root = self.x11.XDefaultRootWindow(self.dpy)
        self.x11.XSelectInput(self.dpy, root, SUBSTRUCTURE_NOTIFY_MASK)
        self.root_damage = self.damage.XDamageCreate(self.dpy, root, self.DAMAGE_REPORT_NON_EMPTY)
        self.x11.XSync(self.dpy, 0)
        self.fd = self.x11.XConnectionNumber(self.dpy)
        self.event = (ctypes.c_long * 24)()

    def rearm(self):
        """Clears the damage seen so far, so that the next drawing is reported again."""
        self.damage.XDamageSubtract(self.dpy, self.root_damage, 0, 0)
        self.x11.XSync(self.dpy, 0)

    def drain(self):
        """Forgets everything seen so far (the last program's window going away, say)."""
        self.x11.XSync(self.dpy, 0)
        while self.x11.XPending(self.dpy):
            self.x11.XNextEvent(self.dpy, self.event)
        self.rearm()
        while self.x11.XPending(self.dpy):
            self.x11.XNextEvent(self.dpy, self.event)

    def wait_for(self, wanted, deadline):
        """Time of the first event that wanted(type) accepts, or None at the deadline."""
        while True:
            while self.x11.XPending(self.dpy):
                self.x11.XNextEvent(self.dpy, self.event)
                if wanted(self.event[0] & 0xFFFFFFFF):
                    return time.perf_counter()
            remaining = deadline - time.perf_counter()
            if remaining <= 0:
                return None
            select.select([self.fd], [], [], remaining)

    def wait_for_map(self, deadline):
        """Time of the first MapNotify of a managed (not override-redirect) window, or None."""
        # XMapEvent: type, serial, send_event, display, event, window, override_redirect
        return self.wait_for(lambda kind: kind == MAP_NOTIFY and not self.event[6] & 0xFFFFFFFF, deadline)

    def wait_for_paint(self, deadline):
        """Time of the first drawing on the screen after the map, or None."""
        self.rearm()
        return self.wait_for(lambda kind: kind == self.damage_notify, deadline)


def proc_figures(pid):
    """(peak resident kB, CPU ticks used) of a running process."""
    with open(f"/proc/{pid}/status") as status:
        peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return peak, int(fields[11]) + int(fields[12])


def peak_when_idle(pid, deadline, quiet_polls=6, interval=0.025):
    """Polls until the process has used no CPU and grown no memory for quiet_polls polls; returns
    its peak resident kB."""
    last, quiet = proc_figures(pid), 0
    while quiet < quiet_polls and time.perf_counter() < deadline:
        time.sleep(interval)
        now = proc_figures(pid)
        quiet = quiet + 1 if now == last else 0
        last = now
    return last[0]


def start_once(program, env, listener):
    listener.drain()
    started = time.perf_counter()
    child = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        mapped = listener.wait_for_map(started + 30)
        if mapped is None:
            raise RuntimeError(f"{program}: no window was mapped within 30 s")
        painted = listener.wait_for_paint(mapped + 30)
        if painted is None:
            raise RuntimeError(f"{program}: the window was not painted within 30 s")
        peak_kb = peak_when_idle(child.pid, painted + 10)
        return {"mapped_ms": (mapped - started) * 1000, "painted_ms": (painted - started) * 1000,
                "peak_rss_kb": peak_kb}
    finally:
        child.send_signal(signal.SIGTERM)
        try:
            child.wait(10)
        except subprocess.TimeoutExpired:
            child.kill()
            child.wait()


def median(runs, key):
    return statistics.median(run[key] for run in runs)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--app", required=True, help="the calculator executable")
    parser.add_argument("--bare", required=True, help="the bare window executable")
    parser.add_argument("--texts", help="the window's texts and diagram painted with no widgets (a floor)")
    parser.add_argument("--runs", type=int, default=15, help="starts of each program")
    parser.add_argument("--a11y", action="store_true", help="accessibility bridge on, in a D-Bus session")
    parser.add_argument("--json", help="also write the figures to this file")
    args = parser.parse_args()

    if not shutil.which("Xvfb"):
        print("Xvfb is not installed (Debian: xvfb); nothing measured")
        return 77
    if args.a11y and "DBUS_SESSION_BUS_ADDRESS" not in os.environ:
        if not shutil.which("dbus-run-session"):
            print("dbus-run-session is not installed; nothing measured")
            return 77
        # A private runtime directory too: the accessibility bus puts its socket there.
        with tempfile.TemporaryDirectory(prefix="brimalox-bench-") as runtime_dir:
            return subprocess.run(["dbus-run-session", "--", sys.executable] + sys.argv,
                                  env=dict(os.environ, XDG_RUNTIME_DIR=runtime_dir)).returncode

    xvfb = Xvfb()
    try:
        env = dict(os.environ, DISPLAY=xvfb.display, QT_QPA_PLATFORM="xcb")
        if args.a11y:
            env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        else:
            env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        listener = MapListener(xvfb.display)
        programs = {"brimalox": args.app, "bare window": args.bare}
        if args.texts:
            programs["texts only"] = args.texts
        runs = {name: [] for name in programs}
        # One start of each first, not counted: it fills the page cache and the font cache.
        for name, program in programs.items():
            start_once(program, env, listener)
        for _ in range(args.runs):
            for name, program in programs.items():
                runs[name].append(start_once(program, env, listener))
    finally:
        xvfb.stop()

    summary = {name: {key: median(result, key) for key in ("mapped_ms", "painted_ms", "peak_rss_kb")}
               for name, result in runs.items()}
    bare = summary["bare window"]
    ratios = {name: {key: figures[key] / bare[key] for key in figures} for name, figures in summary.items()}
    print(f"start-up, median of {args.runs} starts each"
          f"{' (accessibility bridge on)' if args.a11y else ''}; ratios to the bare window:")
    print(f"{'':14}{'mapped ms':>11}{'painted ms':>11}{'peak RSS MB':>13}{'ratios: mapped':>16}{'painted':>9}{'RSS':>6}")
    for name, figures in summary.items():
        ratio = ratios[name]
        print(f"{name:14}{figures['mapped_ms']:11.1f}{figures['painted_ms']:11.1f}"
              f"{figures['peak_rss_kb'] / 1024:13.1f}"
              f"{ratio['mapped_ms']:16.2f}{ratio['painted_ms']:9.2f}{ratio['peak_rss_kb']:6.2f}")
    print("targets for brimalox: mapped at most 1.30x, peak RSS at most 1.20x the bare window")
    if args.json:
        with open(args.json, "w") as out:
            json.dump({"runs": runs, "median": summary, "ratio": ratios, "a11y": args.a11y}, out, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
