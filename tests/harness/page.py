"""The web page brimalox.html in one headless Chromium, driven through Selenium as a person drives
it, and the runner of a page test's scenarios. What the page's tests and benchmarks share."""

import argparse
import pathlib
import tempfile
import time
import traceback

from selenium.common.exceptions import TimeoutException
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

from harness import VALUE_FIELDS, Checks, Failure, chromium

STATE_SCRIPT = """
const value = (id) => document.getElementById(id).value;
const fields = {};
for (const id of arguments[0]) fields[id] = value(id);
const failure = document.getElementById('failure');
const paragraphs = [...failure.querySelectorAll('#failure-text p')].map((p) => p.textContent);
return {fields, failure: failure.open ? paragraphs.join('\\n\\n') : null,
        notes: document.getElementById('no').open, website: document.getElementById('website').open,
        focus: document.activeElement ? document.activeElement.id : null};
"""


class Page:
    """The page in one headless Chromium."""

    def __init__(self, args, width=1280, height=800, network_log=False, flags=(), prefs=None, wait_ready=True,
                 url_suffix=""):
        self.args = args
        self.profile = tempfile.TemporaryDirectory(prefix="brimalox-chromium-")
        self.driver = chromium.start(args.chromium, args.chromedriver, self.profile.name,
                                     [f"--window-size={width},{height}", *flags], prefs, network_log)
        self.url = pathlib.Path(args.page).resolve().as_uri()
        if wait_ready:
            self.open(url_suffix)
        else:
            self.driver.get(self.url + url_suffix)

    def open(self, suffix=""):
        """Loads the page afresh (a new module, the start-up texts) and waits for its buttons."""
        # The same address with another fragment would only scroll; a blank page between makes it a load.
        self.driver.get("about:blank")
        self.driver.get(self.url + suffix)
        self.wait("the buttons to be enabled once the core has loaded",
                  "return [...document.querySelectorAll('#Form1 button')].every((b) => !b.disabled)")

    def close(self):
        if self.driver is None:
            return
        self.driver.quit()
        self.driver = None
        self.profile.cleanup()

    def reset(self):
        """The browser as a new one shows the page: desktop size, no touch, screen media in light
        mode, the page loaded afresh."""
        for command, params in (("Emulation.clearDeviceMetricsOverride", {}),
                                ("Emulation.setTouchEmulationEnabled", {"enabled": False}),
                                ("Emulation.setEmulatedMedia", {"media": "", "features": []})):
            self.driver.execute_cdp_cmd(command, params)
        self.driver.set_script_timeout(30)
        self.open()

    def js(self, script, *arguments):
        return self.driver.execute_script(script, *arguments)

    def wait(self, what, script, timeout=60):
        try:
            WebDriverWait(self.driver, timeout, poll_frequency=0.01).until(lambda d: d.execute_script(script))
        except TimeoutException:
            raise Failure(f"timed out waiting for {what}") from None

    def element(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def state(self, fields=VALUE_FIELDS):
        return self.js(STATE_SCRIPT, fields)

    def type(self, field, text):
        box = self.element(field)
        box.clear()
        if text:
            box.send_keys(text)

    def act(self, line):
        """One line of a replay script, done as a person does it."""
        verb, _, rest = line.partition(" ")
        if verb == "set":
            name, _, text = rest.partition(" ")
            self.type(name, text)
        elif verb == "select":
            self.element(rest).click()
        elif verb == "click":
            self.element(rest).click()
        else:
            raise Failure(f"script line not understood: {line}")

    def dismiss_failure(self):
        self.driver.find_element(By.CSS_SELECTOR, "#failure .ok").click()
        self.wait("the failure message to close", "return !document.getElementById('failure').open")

    def close_windows(self):
        """Closes the website window if open: it stands over the main window's controls."""
        if self.js("return document.getElementById('website').open"):
            self.driver.find_element(By.CSS_SELECTOR, "#website .ok").click()

    def screenshot(self, name):
        directory = pathlib.Path(self.args.artefacts)
        directory.mkdir(parents=True, exist_ok=True)
        self.driver.save_screenshot(str(directory / name))


def sideways_room(page):
    return page.js("return document.documentElement.scrollWidth - document.documentElement.clientWidth")


def main(scenarios, description):
    """Runs the scenarios named on the command line (each --scenario; none: every one), out of
    `scenarios`, one after the other in one browser, each on the page loaded afresh at desktop size."""
    parser = argparse.ArgumentParser(description=description.splitlines()[0])
    parser.add_argument("--scenario", choices=scenarios, action="append")
    for option in ("page", "cli", "node", "module", "chromium", "chromedriver", "axe", "artefacts", "version"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    names = args.scenario or list(scenarios)
    page = Page(args, network_log="layout" in names)
    failed = []
    try:
        for index, name in enumerate(names):
            started = time.monotonic()
            checks = Checks()
            try:
                if index:
                    page.reset()
                scenarios[name](page, args, checks)
            except Failure as failure:
                checks.failures.append(str(failure))
            except Exception:  # a scenario that broke down says where, and the others still run
                checks.failures.append(f"{name} broke down:\n{traceback.format_exc()}")
            if checks.report():
                failed.append(name)
            print(f"{name}: {'failed' if checks.failures else 'ok'} in {time.monotonic() - started:.1f} s", flush=True)
    finally:
        page.close()
    if failed:
        print("failed:", " ".join(failed))
    return 1 if failed else 0


def build_args(build, artefacts="/tmp"):
    """The options of a build folder's page in Debian's Chromium, for the benchmarks run by hand."""
    return argparse.Namespace(page=str(pathlib.Path(build) / "web/brimalox.html"), chromium="/usr/bin/chromium",
                              chromedriver="/usr/bin/chromedriver", artefacts=artefacts)
