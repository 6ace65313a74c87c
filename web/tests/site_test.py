#!/usr/bin/python3
"""The served edition (build/web/site/) in headless Chromium, from a web server on localhost that
this test starts on a free port and stops: the manifest and the page's installability as the
browser's DevTools protocol reports them; after the first visit, the network cut and the page loaded
again with a working calculator, model check and build sheet; a newly published version taken after
a reload, with the page's notice; the app installed and opened in a window of its own. Nothing is
asked of any other host.

Usage: site_test.py --site build/web/site --cli brimalox-cli --chromium CHROMIUM --chromedriver DRIVER
"""

import argparse
import base64
import functools
import http.server
import json
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time

from harness import CAPTION, VALUE_FIELDS, Checks, Failure, cli_design
from harness.devtools_pipe import Browser
from harness.page import Page
from check_test import page_sheet, svg_tree

DESIGN = ("146", "--sides", "3")
ADDRESS = "#f=146&sides=3"
READY = "return [...document.querySelectorAll('#Form1 button')].every((b) => !b.disabled)"
CONTROLLED = "return navigator.serviceWorker.controller !== null"
UPDATE = "const u = document.getElementById('update'); return u.hidden ? null : u.textContent"


class Site:
    """A copy of the site folder served on 127.0.0.1 (which a browser trusts as it does https) on a
    port the system chose, so that the test can publish into it."""

    def __init__(self, source):
        self.folder = tempfile.TemporaryDirectory(prefix="brimalox-site-")
        self.root = pathlib.Path(self.folder.name)
        shutil.copytree(source, self.root, dirs_exist_ok=True)
        self.asked = []

        asked = self.asked

        class Handler(http.server.SimpleHTTPRequestHandler):
            def log_message(self, *args):
                asked.append(self.path)

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0),
                                                      functools.partial(Handler, directory=self.folder.name))
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()
        self.folder.cleanup()


def png_size(path):
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return "{}x{}".format(*struct.unpack(">II", data[16:24]))


def load(page, url):
    """The page loaded afresh (a blank page between, or a new fragment would only scroll)."""
    page.driver.get("about:blank")
    page.driver.get(url)
    page.wait("the calculator to be ready", READY, 30)


def window_and_tools(page, checks, what, cli):
    """The calculator's design from the address against brimalox-cli design; a model check that
    ends with its report; the build sheet, with the check's figures."""
    shown = page.state()
    checks.equal(f"{what}: the design from the address", shown["fields"], cli_design(cli, *DESIGN))
    page.element("check-run").click()
    page.wait("the check's report", "return document.getElementById('check-status').textContent === 'Done.'", 120)
    simulated = subprocess.run([cli, "simulate", *DESIGN], capture_output=True, text=True, check=True).stdout
    checks.equal(f"{what}: the check's report", page.js("return document.getElementById('check-report').textContent"),
                 simulated)
    shown, date = page_sheet(page)
    drawn = subprocess.run([cli, "sheet", *DESIGN, "--model", "--format", "svg", "--date", date], capture_output=True,
                           text=True, check=True).stdout
    checks.equal(f"{what}: the build sheet with the check's figures", svg_tree(shown), svg_tree(drawn))


def installable(page, site, checks):
    manifest = page.driver.execute_cdp_cmd("Page.getAppManifest", {})
    checks.equal("the manifest's address", manifest.get("url"), site.url + "manifest.webmanifest")
    checks.equal("errors in the manifest", manifest.get("errors"), [])
    data = json.loads(manifest.get("data") or "{}")
    for key, value in (("display", "standalone"), ("start_url", "./"), ("scope", "./")):
        checks.equal(f"the manifest's {key}", data.get(key), value)
    checks.true("the manifest names the program", data.get("name") and data.get("short_name"))
    checks.true("theme and background colours", data.get("theme_color") and data.get("background_color"))
    icons = data.get("icons", [])
    for icon in icons:
        checks.equal(f"{icon['src']}: the size the manifest says", png_size(site.root / icon["src"]), icon["sizes"])
    for size, purpose in (("192x192", "any"), ("512x512", "any"), ("512x512", "maskable")):
        checks.true(f"an icon of {size} for {purpose}",
                    any(i["sizes"] == size and i.get("purpose") == purpose for i in icons))
    errors = page.driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})["installabilityErrors"]
    checks.equal("installability errors", errors, [])


def offline(page, site, checks, cli):
    page.driver.execute_cdp_cmd("Network.enable", {})
    page.driver.execute_cdp_cmd("Network.emulateNetworkConditions",
                                {"offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
    try:
        asked = len(site.asked)
        load(page, site.url + ADDRESS)
        checks.true("offline: the page came from the service worker", page.js(
            "return performance.getEntriesByType('navigation')[0].workerStart > 0"))
        window_and_tools(page, checks, "offline", cli)
        # The browser asks for sw.js at each visit, past the page's emulated network; nothing else.
        checks.equal("offline: requests that reached the server", [p for p in site.asked[asked:] if p != "/sw.js"], [])
    finally:
        page.driver.execute_cdp_cmd("Network.emulateNetworkConditions",
                                    {"offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})


def publish(site):
    """A new version in the folder, as a host receives one: its service worker's cache under another
    name, its page marked so that the test can tell which one the browser shows."""
    worker = site.root / "sw.js"
    text = worker.read_text(encoding="utf-8")
    worker.write_text(text.replace("var CACHE = 'brimalox-", "var CACHE = 'brimalox-next-", 1), encoding="utf-8")
    index = site.root / "index.html"
    html = index.read_text(encoding="utf-8")
    index.write_text(html.replace("<meta charset=\"utf-8\">\n", "<meta charset=\"utf-8\">\n"
                                  "<meta name=\"published\" content=\"next\">\n", 1), encoding="utf-8")


def new_version(page, site, checks):
    publish(site)
    load(page, site.url)
    checks.true("the old version still shows until the user reloads",
                not page.js("return document.querySelector('meta[name=published]')"))
    page.wait("the notice of the new version", UPDATE, 30)
    checks.equal("the notice", " ".join(page.js(UPDATE).split()), "A new version is ready: reload")
    page.element("update-reload").click()
    page.wait("the new version", "return document.querySelector('meta[name=published]') !== null", 30)
    page.wait("the calculator to be ready", READY, 30)
    published = re.search(r"var CACHE = '([^']+)'", (site.root / "sw.js").read_text(encoding="utf-8")).group(1)
    checks.equal("caches kept", page.driver.execute_async_script(
        "caches.keys().then(arguments[arguments.length - 1])"), [published])
    checks.true("no notice on the new version", page.js(UPDATE) is None)


def installed(site, args, checks):
    """Installed as an app and opened from its launcher: a window of its own, shown as the manifest
    asks (standalone, no address bar), with the calculator's design from the address."""
    browser = Browser(args.chromium, ["--window-size=1100,760"])
    try:
        first = browser.send("Target.createTarget", {"url": site.url + ADDRESS})["targetId"]
        tab = browser.attach(first)
        browser.wait(tab, "the service worker to take the page", CONTROLLED[len("return "):])
        app = {"manifestId": site.url}
        browser.send("PWA.install", {**app, "installUrlOrBundleUrl": site.url})
        # A browser asks at install how to open the app; the manifest's answer is standalone.
        browser.send("PWA.changeAppUserSettings", {**app, "displayMode": "standalone"})
        browser.send("PWA.launch", {**app, "url": site.url + ADDRESS})
        # What the launch names is the window's tab; the page in it is the other page of the site.
        window = None
        for _ in range(200):
            pages = browser.send("Target.getTargets")["targetInfos"]
            window = next((t["targetId"] for t in pages if t["type"] == "page" and t["targetId"] != first
                           and t["url"].startswith(site.url)), None)
            if window:
                break
            time.sleep(0.05)
        if not window:
            raise Failure("the installed app opened no window")
        window = browser.attach(window)
        # The launch opens the start address and then goes to the one asked for, within the page.
        expected = cli_design(args.cli, *DESIGN)
        fields = f"Object.fromEntries({VALUE_FIELDS}.map((id) => [id, document.getElementById(id).value]))"
        try:
            browser.wait(window, "the design from the address", f"JSON.stringify({fields}) === "
                         f"{json.dumps(json.dumps({k: expected.get(k) for k in VALUE_FIELDS}, separators=(',', ':')))} && "
                         f"{READY[len('return '):]}")
        except Failure:
            pass  # the difference is told below
        checks.equal("the installed app's design from the address", browser.evaluate(window, fields), expected)
        checks.true("the installed app opens standalone",
                    browser.evaluate(window, "matchMedia('(display-mode: standalone)').matches"))
        # The browser puts the app's name before it, so the title is the window's caption alone.
        checks.equal("the app window's title", browser.evaluate(window, "document.title"), CAPTION)
        shot = browser.send("Page.captureScreenshot", {}, window)["data"]
        (pathlib.Path(args.artefacts) / "site-installed-app.png").write_bytes(base64.b64decode(shot))
        browser.send("PWA.uninstall", app)
    finally:
        browser.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("site", "cli", "chromium", "chromedriver", "artefacts"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    site = Site(args.site)
    checks = Checks()
    args.page = str(site.root / "index.html")
    page = Page(args, wait_ready=False, network_log=True)
    try:
        page.url = site.url
        load(page, site.url + ADDRESS)
        page.wait("the service worker to take the page", CONTROLLED, 30)
        installable(page, site, checks)
        offline(page, site, checks, args.cli)
        new_version(page, site, checks)
        page.screenshot("site-new-version.png")
        installed(site, args, checks)
        others = [entry["message"] for entry in page.driver.get_log("performance")
                  if '"Network.requestWillBeSent"' in entry["message"]]
        urls = [json.loads(m)["message"]["params"]["request"]["url"] for m in others]
        checks.equal("requests to anywhere but the site",
                     [u for u in urls if u.startswith(("http", "ws")) and not u.startswith(site.url)], [])
    except Failure as failure:
        checks.failures.append(str(failure))
    finally:
        page.close()
        site.close()
    return checks.report()


if __name__ == "__main__":
    sys.exit(main())
