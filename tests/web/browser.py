"""Headless Chromium through Selenium, on the built page opened from disk.

Shared by the page's test and its screenshots. The browser gets a fresh
profile, no network services of its own, sound without a user's gesture, and
a download folder of the caller's.
"""

import pathlib
import shutil
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--autoplay-policy=no-user-gesture-required",
]


def missing():
    """Why no browser can be started here, or None."""
    for program in (CHROMIUM, CHROMEDRIVER):
        if not shutil.which(program):
            return f"{program} is not installed"
    return None


class Browser:
    def __init__(self, downloads: pathlib.Path, width: int = 1100, height: int = 900,
                 flags: tuple = ()):
        self.profile = tempfile.mkdtemp(prefix="kvetro-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for flag in (*FLAGS, *flags):
            options.add_argument(flag)
        options.add_argument(f"--user-data-dir={self.profile}")
        options.add_argument(f"--window-size={width},{height}")
        options.add_experimental_option(
            "prefs", {"download.default_directory": str(downloads),
                      "download.prompt_for_download": False})
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
        self.driver.execute_cdp_cmd(
            "Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": str(downloads)})

    def close(self):
        self.driver.quit()
        shutil.rmtree(self.profile, ignore_errors=True)

    def open(self, page: pathlib.Path):
        """Opens the page, with the network off, and waits until its core
        is running."""
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
        self.driver.get(page.resolve().as_uri())
        self.wait(lambda d: d.find_element(By.ID, "mzf-file").is_enabled(), 30)

    def wait(self, condition, seconds=10):
        return WebDriverWait(self.driver, seconds, poll_frequency=0.05).until(condition)

    def element(self, element_id: str):
        return self.driver.find_element(By.ID, element_id)

    def set_settings(self, values: dict):
        """Types each value into its input and leaves it, as a user does."""
        for element_id, value in values.items():
            field = self.element(element_id)
            if field.get_attribute("type") == "checkbox":
                if field.is_selected() != bool(value):
                    field.click()
            elif field.tag_name == "select":
                Select(field).select_by_value(str(value))
            else:
                field.send_keys(Keys.CONTROL, "a")
                field.send_keys(str(value))
                self.driver.execute_script("arguments[0].blur()", field)

    def choose(self, *mzfs: pathlib.Path):
        """Chooses the files at once, in this order."""
        self.element("mzf-file").send_keys("\n".join(str(mzf.resolve()) for mzf in mzfs))

    def console_errors(self):
        return [entry["message"] for entry in self.driver.get_log("browser")
                if entry["level"] == "SEVERE"]
