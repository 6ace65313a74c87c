"""The page in each engine its users meet it in, behind harness.page's Page so that a scenario is
written once: Chromium (Selenium and chromedriver, as harness.chromium starts it), WebKitGTK, Safari's
engine (Selenium's WebKitGTK driver with Debian's WebKitWebDriver and MiniBrowser, on a private Xvfb
display), and Firefox ESR (its own WebDriver BiDi, harness.bidi)."""

import os
import tempfile

from harness import chromium, page
from harness.bidi import Firefox
from harness.window import start_xvfb

ENGINES = ("chromium", "webkit", "firefox")


class EnginePage(page.Page):
    """The page in one engine's browser, opened at `url` (from disk or served)."""

    def __init__(self, engine, args, url, width=1280, height=900):
        self.args, self.engine, self.url = args, engine, url
        self.profile = tempfile.TemporaryDirectory(prefix=f"brimalox-{engine}-")
        self.xvfb = None
        if engine == "chromium":
            self.driver = chromium.start(args.chromium, args.chromedriver, self.profile.name,
                                         [f"--window-size={width},{height}"])
        elif engine == "webkit":
            from selenium import webdriver
            from selenium.webdriver.webkitgtk.options import Options
            from selenium.webdriver.remote.file_detector import UselessFileDetector
            from selenium.webdriver.webkitgtk.service import Service
            self.xvfb, display = start_xvfb(f"{width + 200}x{height + 200}x24")
            # Its caches and data in the profile folder, never the user's; no accessibility bus.
            home = self.profile.name
            environment = dict(os.environ, DISPLAY=display, HOME=home, XDG_CACHE_HOME=f"{home}/cache",
                               XDG_DATA_HOME=f"{home}/data", XDG_CONFIG_HOME=f"{home}/config", NO_AT_BRIDGE="1",
                               MESA_SHADER_CACHE_DISABLE="true")
            options = Options()
            options.binary_location = args.minibrowser
            options.add_argument("--automation")
            service = Service(args.webkitdriver, env=environment)
            service.start()
            try:
                self.driver = webdriver.Remote(service.service_url, options=options)
            except Exception:
                service.stop()
                raise
            self.driver.service = service
            # The driver runs here: a file is chosen by its path, not uploaded to a remote driver.
            self.driver.file_detector = UselessFileDetector()
            self.driver.set_window_size(width, height)
        else:
            self.driver = Firefox(args.firefox, width, height)

    def wait(self, what, script, timeout=60):
        """As the Chromium tests wait, but never less than a minute: WebKitGTK on a loaded 2-core
        machine took over 10 s to load the served page."""
        super().wait(what, script, max(timeout, 60))

    def close(self):
        if self.driver is None:
            return
        try:
            self.driver.quit()
            service = getattr(self.driver, "service", None)
            if self.engine == "webkit" and service is not None:
                service.stop()
        finally:
            self.driver = None
            if self.xvfb is not None:
                self.xvfb.kill()
                self.xvfb.wait()
            self.profile.cleanup()
