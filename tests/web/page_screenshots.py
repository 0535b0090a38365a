#!/usr/bin/python3
"""Draws the built page at desktop and at phone width: DOCS/web-desktop.png and
DOCS/web-phone.png. A sample file is chosen and converted, and the WAV the page
made is read back in its read panel with its fast body's middle silenced, so
that the pictures show a block read well and one that failed.

    page_screenshots.py PAGE MZF DOCS
"""

import pathlib
import sys
import tempfile

from browser import Browser

# name, CSS pixels wide and high, device pixels per CSS pixel
VIEWS = [("desktop", 1100, 900, 1), ("phone", 390, 844, 1)]


def spoiled_wave(browser: Browser, downloads: pathlib.Path, name: str) -> pathlib.Path:
    """The WAV the page offers, with a stretch near its end silenced."""
    browser.element("download").click()
    wave = downloads / name
    browser.wait(lambda d: wave.exists() and not list(downloads.glob("*.crdownload")))
    samples = bytearray(wave.read_bytes())
    samples[-12000:-11000] = bytes([0x80]) * 1000
    spoiled = downloads / f"spoiled-{name}"
    spoiled.write_bytes(samples)
    wave.unlink()
    return spoiled


def main() -> int:
    page, mzf, docs = (pathlib.Path(argument) for argument in sys.argv[1:4])
    with tempfile.TemporaryDirectory(prefix="kvetro-shots-") as folder:
        downloads = pathlib.Path(folder)
        browser = Browser(downloads)
        try:
            for name, width, height, scale in VIEWS:
                browser.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                    "width": width, "height": height, "deviceScaleFactor": scale,
                    "mobile": name == "phone"})
                browser.open(page)
                browser.choose(mzf)
                browser.wait(lambda d: browser.element("info").text != "")
                browser.element("convert").click()
                wave = spoiled_wave(browser, downloads, mzf.with_suffix(".wav").name)
                browser.element("wav-file").send_keys(str(wave))
                browser.wait(lambda d: d.find_elements("css selector", "#pictures figure"), 30)
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
