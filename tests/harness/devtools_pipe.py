"""Chromium driven through its DevTools protocol over a pipe, for what Chromium offers no other way:
installing and launching a web app (its PWA domain is not served over WebDriver or a WebSocket).
The browser's home is its profile folder, so that installing writes no launcher into the user's."""

import json
import os
import subprocess
import tempfile
import time

from harness import Failure
from harness.chromium import FLAGS


class Browser:
    def __init__(self, binary, flags=()):
        self.profile = tempfile.TemporaryDirectory(prefix="brimalox-chromium-")
        to_browser, self._writer = os.pipe()
        self._reader, from_browser = os.pipe()
        # --remote-debugging-pipe reads commands on descriptor 3 and answers on 4.
        self.process = subprocess.Popen(
            ["bash", "-c", f'exec "$@" 3<&{to_browser} 4>&{from_browser}', "bash", binary, "--remote-debugging-pipe",
             *FLAGS, f"--user-data-dir={self.profile.name}", *flags, "about:blank"],
            pass_fds=(to_browser, from_browser), env=dict(os.environ, HOME=self.profile.name),
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_browser)
        os.close(from_browser)
        self._next = 0
        self._pending = b""

    def send(self, method, params=None, session=None):
        """The result of one command (of a page when `session` is given); its error as a Failure."""
        self._next += 1
        message = {"id": self._next, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._writer, json.dumps(message).encode() + b"\0")
        while True:  # messages end with a NUL; events are passed over
            while b"\0" not in self._pending:
                chunk = os.read(self._reader, 1 << 20)
                if not chunk:
                    raise Failure(f"{method}: the browser ended")
                self._pending += chunk
            raw, self._pending = self._pending.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") == self._next:
                if "error" in answer:
                    raise Failure(f"{method}: {answer['error'].get('message')}")
                return answer["result"]

    def evaluate(self, session, expression):
        return self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                              "awaitPromise": True}, session)["result"].get("value")

    def wait(self, session, what, expression, timeout=60):
        end = time.monotonic() + timeout
        while not self.evaluate(session, expression):
            if time.monotonic() > end:
                raise Failure(f"timed out waiting for {what}")
            time.sleep(0.05)

    def attach(self, target):
        return self.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]

    def close(self):
        """Closes the browser as its menu would, so that its helpers end before the profile goes."""
        try:
            os.write(self._writer, json.dumps({"id": 0, "method": "Browser.close"}).encode() + b"\0")
            self.process.wait(timeout=20)
        except (OSError, subprocess.TimeoutExpired):
            self.process.kill()
            self.process.wait()
        for stream in (self._writer, self._reader):
            os.close(stream)
        self.profile.cleanup()
