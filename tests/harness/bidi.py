"""Firefox driven through its own WebDriver BiDi protocol over a WebSocket (Debian packages no
geckodriver): started headless with a fresh profile and --remote-debugging-port, one session, one
tab. Scripts are Selenium's kind (a function body with `arguments` and `return`), so a scenario's
scripts run the same in every engine."""

import asyncio
import base64
import json
import pathlib
import re
import subprocess
import tempfile
import time

import websockets

from harness import Failure

# What a first start would otherwise spend on updates, reports and its own pages.
PREFS = {"browser.shell.checkDefaultBrowser": False, "browser.startup.homepage_override.mstone": "ignore",
         "browser.aboutwelcome.enabled": False, "datareporting.policy.dataSubmissionEnabled": False,
         "toolkit.telemetry.reportingpolicy.firstRun": False, "app.update.disabledForTesting": True,
         "network.captive-portal-service.enabled": False, "network.connectivity-service.enabled": False,
         "browser.safebrowsing.update.enabled": False, "extensions.update.enabled": False}
ANSWER_S = 60  # a command's answer; a script's own waiting is bounded by its caller


def _serialise(value):
    """A Python value as a BiDi local value; an Element as the node it names."""
    if isinstance(value, Element):
        return {"sharedId": value.shared_id}
    if value is None:
        return {"type": "null"}
    if isinstance(value, bool):
        return {"type": "boolean", "value": value}
    if isinstance(value, (int, float)):
        return {"type": "number", "value": value}
    if isinstance(value, str):
        return {"type": "string", "value": value}
    if isinstance(value, (list, tuple)):
        return {"type": "array", "value": [_serialise(v) for v in value]}
    if isinstance(value, dict):
        return {"type": "object", "value": [[str(k), _serialise(v)] for k, v in value.items()]}
    raise TypeError(f"no BiDi value for {value!r}")


def _deserialise(remote, browser):
    kind = remote.get("type")
    value = remote.get("value")
    if kind in ("undefined", "null"):
        return None
    if kind == "number":
        return {"NaN": float("nan"), "-0": -0.0, "Infinity": float("inf"), "-Infinity": float("-inf")}.get(value, value)
    if kind in ("string", "boolean"):
        return value
    if kind in ("array", "set", "nodelist", "htmlcollection"):
        return [_deserialise(v, browser) for v in value or []]
    if kind in ("object", "map"):
        return {(k if isinstance(k, str) else str(_deserialise(k, browser))): _deserialise(v, browser)
                for k, v in value or []}
    if kind == "node":
        return Element(browser, remote["sharedId"], (value or {}).get("localName", ""))
    return str(value)


class Element:
    """A node of the page, as Selenium's WebElement offers what the scenarios use of it."""

    def __init__(self, browser, shared_id, tag_name):
        self.browser, self.shared_id, self.tag_name = browser, shared_id, tag_name

    def _pointer(self):
        return {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}}

    def click(self):
        self.browser.js("arguments[0].scrollIntoView({block: 'center'})", self)
        self.browser.send("input.performActions", {"context": self.browser.context, "actions": [{
            **self._pointer(), "actions": [{"type": "pointerMove", "x": 0, "y": 0,
                                            "origin": {"type": "element", "element": {"sharedId": self.shared_id}}},
                                           {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}]})

    def clear(self):
        self.browser.js("arguments[0].value = ''; arguments[0].dispatchEvent(new Event('input', {bubbles: true}));", self)

    def send_keys(self, text):
        """Keys typed into the element, or for a file chooser the file chosen, as Selenium does."""
        if self.browser.js("return arguments[0].type === 'file'", self):
            self.browser.send("input.setFiles", {"context": self.browser.context, "element": {"sharedId": self.shared_id},
                                                 "files": [str(text)]})
            return
        self.browser.js("arguments[0].focus()", self)
        keys = [step for c in text for step in ({"type": "keyDown", "value": c}, {"type": "keyUp", "value": c})]
        self.browser.send("input.performActions", {"context": self.browser.context,
                                                   "actions": [{"type": "key", "id": "keyboard", "actions": keys}]})

    def screenshot(self, path):
        shot = self.browser.send("browsingContext.captureScreenshot", {
            "context": self.browser.context, "clip": {"type": "element", "element": {"sharedId": self.shared_id}}})
        pathlib.Path(path).write_bytes(base64.b64decode(shot["data"]))


class Firefox:
    def __init__(self, binary, width, height):
        self.profile = tempfile.TemporaryDirectory(prefix="brimalox-firefox-")
        (pathlib.Path(self.profile.name) / "user.js").write_text(
            "".join(f"user_pref({json.dumps(k)}, {json.dumps(v)});\n" for k, v in PREFS.items()))
        self.process = subprocess.Popen(
            [binary, "--headless", "--no-remote", "--profile", self.profile.name, "--remote-debugging-port", "0",
             "--width", str(width), "--height", str(height), "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = None
        end = time.monotonic() + 60
        while address is None and time.monotonic() < end:
            line = self.process.stderr.readline()
            if not line:
                break
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            address = found and found.group(1)
        if address is None:
            self.close()
            raise Failure("Firefox did not offer WebDriver BiDi")
        # What Firefox says from here on is not read: a thread-less pipe must not fill.
        self.process.stderr.close()
        self.loop = asyncio.new_event_loop()
        self.socket = self.loop.run_until_complete(self._connect(address + "/session"))
        self.next = 0
        self.logged = []  # the page's console and uncaught errors
        self.send("session.new", {"capabilities": {"alwaysMatch": {"acceptInsecureCerts": False}}})
        self.send("session.subscribe", {"events": ["log.entryAdded"]})
        self.context = self.send("browsingContext.getTree", {})["contexts"][0]["context"]

    @staticmethod
    async def _connect(address):
        return await websockets.connect(address, max_size=None)

    def send(self, method, params, timeout=ANSWER_S):
        return self.loop.run_until_complete(self._send(method, params, timeout))

    async def _send(self, method, params, timeout):
        self.next += 1
        await self.socket.send(json.dumps({"id": self.next, "method": method, "params": params}))
        while True:
            try:
                message = json.loads(await asyncio.wait_for(self.socket.recv(), timeout))
            except asyncio.TimeoutError:
                raise Failure(f"{method}: no answer from Firefox in {timeout} s") from None
            if message.get("type") == "event":
                if message.get("method") == "log.entryAdded":
                    self.logged.append(message["params"].get("text"))
                continue
            if message.get("id") != self.next:
                continue
            if message.get("type") == "error":
                raise Failure(f"{method}: {message.get('error')}: {message.get('message')}")
            return message["result"]

    def get(self, url):
        self.send("browsingContext.navigate", {"context": self.context, "url": url, "wait": "complete"}, 120)

    def js(self, script, *arguments):
        answer = self.send("script.callFunction", {
            "functionDeclaration": f"function () {{\n{script}\n}}", "awaitPromise": True,
            "arguments": [_serialise(a) for a in arguments], "target": {"context": self.context},
            "serializationOptions": {"maxDomDepth": 0}})
        if answer.get("type") == "exception":
            details = answer.get("exceptionDetails", {})
            raise Failure(f"script failed: {details.get('text')}")
        return _deserialise(answer["result"], self)

    def screenshot(self, path):
        shot = self.send("browsingContext.captureScreenshot", {"context": self.context})
        pathlib.Path(path).write_bytes(base64.b64decode(shot["data"]))

    # What harness.page.Page asks of a Selenium driver.
    execute_script = js
    save_screenshot = screenshot

    def find_element(self, by, value):
        found = self.js("return document.querySelector(arguments[0])", f"#{value}" if by == "id" else value)
        if found is None:
            raise Failure(f"no element {value!r}")
        return found

    def quit(self):
        self.close()

    def viewport(self, width, height, scale=None):
        self.send("browsingContext.setViewport", {"context": self.context, "viewport": {"width": width, "height": height},
                                                  **({"devicePixelRatio": scale} if scale else {})})

    def close(self):
        if self.process is None:
            return
        try:
            if getattr(self, "socket", None) is not None:
                try:
                    self.send("browser.close", {}, 20)
                except Exception:  # it ended while answering
                    pass
                self.loop.run_until_complete(self.socket.close())
            self.process.wait(timeout=20)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        finally:
            if getattr(self, "loop", None) is not None:
                self.loop.close()
            self.process = None
            self.profile.cleanup()
