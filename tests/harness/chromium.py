"""Headless Chromium under Selenium, started one way for every page test and benchmark: no network
of its own (the page is offline), no first-run work, a profile of the caller's."""

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--disable-dev-shm-usage"]


def start(binary, driver, profile, flags=(), prefs=None, network_log=False):
    """A browser with a profile in the folder `profile`; `flags` after the common ones."""
    options = webdriver.ChromeOptions()
    options.binary_location = binary
    for flag in [*FLAGS, f"--user-data-dir={profile}", *flags]:
        options.add_argument(flag)
    if prefs:
        options.add_experimental_option("prefs", prefs)
    if network_log:
        options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
    return webdriver.Chrome(service=Service(executable_path=driver), options=options)
