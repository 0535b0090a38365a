#!/usr/bin/python3
"""Draws the built page, with a sample file chosen, at desktop and at phone
width: DOCS/web-desktop.png and DOCS/web-phone.png.

    page_screenshots.py PAGE MZF DOCS
"""

import pathlib
import sys
import tempfile

from browser import Browser

# name, CSS pixels wide and high, device pixels per CSS pixel
VIEWS = [("desktop", 1100, 900, 1), ("phone", 390, 844, 1)]


def main() -> int:
    page, mzf, docs = (pathlib.Path(argument) for argument in sys.argv[1:4])
    with tempfile.TemporaryDirectory(prefix="kvetro-shots-") as downloads:
        browser = Browser(pathlib.Path(downloads))
        try:
            for name, width, height, scale in VIEWS:
                browser.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": height, "deviceScaleFactor": scale,
                    "mobile": name == "phone"})
                browser.open(page)
                browser.choose(mzf)
                browser.wait(lambda d: browser.element("info").text != "")
                browser.element("convert").click()
                full = browser.driver.execute_script(
                    "return document.documentElement.scrollHeight")
                browser.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": full, "deviceScaleFactor": scale,
                    "mobile": name == "phone"})
                browser.driver.save_screenshot(str(docs / f"web-{name}.png"))
        finally:
            browser.close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
