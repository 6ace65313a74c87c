#!/usr/bin/python3
"""Start-up time and memory of the calculator window against a bare Qt window of the same size.

Both programs are started in turn, several times each, on a private Xvfb display. For each start
it measures the time from spawn to the window being mapped (the X server's MapNotify, seen by a
client listening on the root window), the time until the process has gone idle after mapping
(its first paint done), and its peak resident memory (VmHWM) at that point. It prints the
medians and the calculator's ratios to the bare window.

    startup.py --app build/app/brimalox --bare build/bench/startup/brimalox_bare_window [--runs 15]
               [--a11y] [--json results.json]

--a11y runs both inside a private D-Bus session with Qt's accessibility bridge forced on, as
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
    """Listens on the root window for top-level windows being mapped."""

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
        self.dpy = self.x11.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        root = self.x11.XDefaultRootWindow(self.dpy)
        self.x11.XSelectInput(self.dpy, root, SUBSTRUCTURE_NOTIFY_MASK)
        self.x11.XSync(self.dpy, 0)
        self.fd = self.x11.XConnectionNumber(self.dpy)
        self.event = (ctypes.c_long * 24)()

    def drain(self):
        while self.x11.XPending(self.dpy):
            self.x11.XNextEvent(self.dpy, self.event)

    def wait_for_map(self, deadline):
        """Time of the first MapNotify of a managed (not override-redirect) window, or None."""
        while True:
            while self.x11.XPending(self.dpy):
                self.x11.XNextEvent(self.dpy, self.event)
                # XMapEvent: type, serial, send_event, display, event, window, override_redirect
                if self.event[0] & 0xFFFFFFFF == MAP_NOTIFY and not self.event[6] & 0xFFFFFFFF:
                    return time.perf_counter()
            remaining = deadline - time.perf_counter()
            if remaining <= 0:
                return None
            select.select([self.fd], [], [], remaining)


def proc_figures(pid):
    """(peak resident kB, CPU ticks used) of a running process."""
    with open(f"/proc/{pid}/status") as status:
        peak = next(int(line.split()[1]) for line in status if line.startswith("VmHWM:"))
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return peak, int(fields[11]) + int(fields[12])


def wait_until_idle(pid, deadline, quiet_polls=6, interval=0.025):
    """Polls until the process has used no CPU and grown no memory for quiet_polls polls; returns
    when it was last seen busy, and its peak resident kB."""
    last, quiet, busy_at = proc_figures(pid), 0, time.perf_counter()
    while quiet < quiet_polls and time.perf_counter() < deadline:
        time.sleep(interval)
        now = proc_figures(pid)
        if now == last:
            quiet += 1
        else:
            quiet, busy_at = 0, time.perf_counter()
        last = now
    return busy_at, last[0]


def start_once(program, env, listener):
    listener.drain()
    started = time.perf_counter()
    child = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    try:
        mapped = listener.wait_for_map(started + 30)
        if mapped is None:
            raise RuntimeError(f"{program}: no window was mapped within 30 s")
        idle, peak_kb = wait_until_idle(child.pid, mapped + 10)
        return {"mapped_ms": (mapped - started) * 1000, "idle_ms": (max(idle, mapped) - started) * 1000,
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
        runs = {name: [] for name in programs}
        # One start of each first, not counted: it fills the page cache and the font cache.
        for name, program in programs.items():
            start_once(program, env, listener)
        for _ in range(args.runs):
            for name, program in programs.items():
                runs[name].append(start_once(program, env, listener))
    finally:
        xvfb.stop()

    summary = {name: {key: median(result, key) for key in ("mapped_ms", "idle_ms", "peak_rss_kb")}
               for name, result in runs.items()}
    app, bare = summary["brimalox"], summary["bare window"]
    ratios = {key: app[key] / bare[key] for key in app}
    print(f"start-up, median of {args.runs} starts each"
          f"{' (accessibility bridge on)' if args.a11y else ''}:")
    print(f"{'':14}{'mapped ms':>11}{'idle ms':>11}{'peak RSS MB':>13}")
    for name, figures in summary.items():
        print(f"{name:14}{figures['mapped_ms']:11.1f}{figures['idle_ms']:11.1f}"
              f"{figures['peak_rss_kb'] / 1024:13.1f}")
    print(f"{'ratio':14}{ratios['mapped_ms']:11.2f}{ratios['idle_ms']:11.2f}{ratios['peak_rss_kb']:13.2f}")
    print("targets: mapped at most 1.30x, peak RSS at most 1.20x the bare window")
    if args.json:
        with open(args.json, "w") as out:
            json.dump({"runs": runs, "median": summary, "ratio": ratios, "a11y": args.a11y}, out, indent=1)
    return 0


if __name__ == "__main__":
    sys.exit(main())
