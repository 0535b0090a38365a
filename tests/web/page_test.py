#!/usr/bin/python3
"""The browser page against kvetro-cli, in headless Chromium.

Every case of the table chooses an MZF file through mzf-file with some
settings typed in, and the page must say and make what kvetro-cli says and
makes for the same file and settings: the --info lines in the header view, the
messages of standard error, and a download byte for byte the command line's
WAV, or no download at all when the command line refuses, whose file leaves
Convert and Play disabled. The time shown is the chosen file's. Then "Play" must
run the progress and lock the settings, and "Stop" must end both. No page may
log an error or ask for anything outside itself.

    page_test.py PAGE KVETRO_CLI
Exit status 77 (skipped, with the reason) when the page or the browser is
missing.
"""

import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "packaging"))
from make_sample_mzf import sample_mzf  # noqa: E402

SKIPPED = 77
PAGE = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else None
CLI = sys.argv[2] if len(sys.argv) > 2 else None


def cut_body(mzf: bytes, missing: int) -> bytes:
    return mzf[:len(mzf) - missing]


# name, file, the page's inputs by id (a pulse's LO and HI together).
CASES = [
    ("defaults", sample_mzf(300, 0x1200, 0x1200, "GAME", 1), {}),
    ("fast pulses, inverted, constant 200", sample_mzf(1000, 0x2000, 0x2010, "FAST", 2),
     {"zero-lo": 1, "zero-hi": 1, "one-lo": 2, "one-hi": 2, "constant": 200, "invert": True}),
    ("short gaps, body past the end of the file",
     cut_body(sample_mzf(500, 0x1200, 0x1234, "CUT", 3), 123),
     {"loader-gap": 100, "body-gap": 0, "zero-lo": 2, "zero-hi": 3, "one-lo": 4, "one-hi": 5}),
    ("body size 0, refused", sample_mzf(0, 0x1200, 0x1200, "EMPTY", 4), {}),
    ("64 KiB file, refused", bytes(65536), {"constant": 7}),
    ("a text file, converted with a warning", b"Dear diary, a letter, not a game.\n" * 10, {}),
    # A WAV that kvetro-cli writes: put in place of the MZF, it is refused.
    ("a WAV file, refused", None, {}),
]


def cli_options(inputs: dict) -> list:
    options = []
    for option, lo, hi in (("--zero", "zero-lo", "zero-hi"), ("--one", "one-lo", "one-hi")):
        if lo in inputs:
            options += [option, f"{inputs[lo]},{inputs[hi]}"]
    for option, key in (("--constant", "constant"), ("--loader-gap", "loader-gap"),
                        ("--body-gap", "body-gap")):
        if key in inputs:
            options += [option, str(inputs[key])]
    if inputs.get("invert"):
        options.append("--invert")
    return options


def run_cli(*arguments, cwd=None):
    return subprocess.run([CLI, *arguments], capture_output=True, check=False, cwd=cwd)


def clock(samples: int) -> str:
    """The page's playing time of so many samples at 44100 Hz, as m:ss."""
    seconds = samples // 44100
    return f"{seconds // 60}:{seconds % 60:02d}"


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        from browser import Browser
        cls.work = pathlib.Path(tempfile.mkdtemp(prefix="kvetro-page-"))
        cls.downloads = cls.work / "downloads"
        cls.downloads.mkdir()
        cls.browser = Browser(cls.downloads)

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def open_with(self, mzf: pathlib.Path, inputs: dict, convertible=True):
        browser = self.browser
        browser.open(PAGE)
        browser.set_settings(inputs)
        browser.choose(mzf)
        if convertible:
            browser.wait(lambda d: browser.element("convert").is_enabled())

    def assert_page_clean(self):
        self.assertEqual(self.browser.console_errors(), [])
        self.assertEqual(self.browser.driver.execute_script(
            "return performance.getEntriesByType('resource').map((e) => e.name)"), [])

    def downloaded(self, name: str) -> bytes:
        target = self.downloads / name
        self.browser.wait(lambda d: target.exists() and
                          not list(self.downloads.glob("*.crdownload")))
        return target.read_bytes()

    def test_cases_as_kvetro_cli(self):
        browser = self.browser
        for number, (name, data, inputs) in enumerate(CASES, 1):
            with self.subTest(name):
                mzf = self.work / f"case{number}.mzf"
                if data is None:
                    mzf = self.work / f"case{number}.wav"
                    self.assertEqual(run_cli(str(self.work / "case1.mzf"), str(mzf)).returncode, 0)
                else:
                    mzf.write_bytes(data)
                options = cli_options(inputs)
                # By the bare name, as the page names the chosen file.
                info = run_cli("--info", *options, mzf.name, cwd=self.work)
                wave = self.work / f"case{number}-cli.wav"
                conversion = run_cli(*options, mzf.name, str(wave), cwd=self.work)

                self.open_with(mzf, inputs, convertible=conversion.returncode == 0)
                text = lambda element_id: browser.element(element_id).get_attribute("textContent")
                browser.wait(lambda d: text("info") == info.stdout.decode() and
                             text("message") == info.stderr.decode().rstrip("\n"))
                download = browser.element("download")
                if conversion.returncode != 0:
                    self.assertEqual(conversion.returncode, 1)
                    self.assertIsNone(download.get_attribute("href"))
                    for disabled in ("convert", "play"):
                        self.assertFalse(browser.element(disabled).is_enabled(), disabled)
                    self.assertFalse(download.is_displayed())
                    self.assertEqual(text("time"), "0:00 / 0:00")
                    self.assert_page_clean()
                    continue
                self.assertEqual(text("time"),
                                 f"0:00 / {clock(wave.stat().st_size - 46)}")

                browser.element("convert").click()
                self.assertEqual(text("message"), conversion.stderr.decode().rstrip("\n"))
                self.assertEqual(download.get_attribute("download"), f"case{number}.wav")
                download.click()
                self.assertEqual(self.downloaded(f"case{number}.wav"), wave.read_bytes())
                self.assert_page_clean()

    def test_play_moves_the_progress_and_stop_ends_it(self):
        browser = self.browser
        mzf = self.work / "play.mzf"
        mzf.write_bytes(sample_mzf(300, 0x1200, 0x1200, "PLAY", 5))
        self.open_with(mzf, {})
        position = lambda: float(browser.element("position").get_attribute("value"))

        browser.element("play").click()
        self.assertTrue(browser.element("stop").is_enabled())
        for locked in ("zero-lo", "body-gap", "invert", "mzf-file", "convert", "play"):
            self.assertFalse(browser.element(locked).is_enabled(), locked)
        browser.wait(lambda d: position() > 0.3)
        earlier, shown = position(), browser.element("time").text
        browser.wait(lambda d: position() > earlier + 1)
        self.assertNotEqual(browser.element("time").text, shown)

        browser.element("stop").click()
        self.assertEqual(position(), 0)
        time.sleep(0.5)
        self.assertEqual(position(), 0)
        self.assertFalse(browser.element("stop").is_enabled())
        for unlocked in ("zero-lo", "body-gap", "invert", "mzf-file", "convert", "play"):
            self.assertTrue(browser.element(unlocked).is_enabled(), unlocked)
        self.assert_page_clean()


def why_skipped():
    if PAGE is None or CLI is None:
        return "usage: page_test.py PAGE KVETRO_CLI"
    if not PAGE.is_file():
        return f"{PAGE} was not built (scripts/web builds it with Emscripten)"
    try:
        import selenium  # noqa: F401
    except ImportError:
        return "Selenium for Python (python3-selenium) is not installed"
    from browser import missing
    return missing()


if __name__ == "__main__":
    reason = why_skipped()
    if reason:
        print(f"SKIPPED: {reason}")
        sys.exit(SKIPPED)
    sys.exit(0 if unittest.main(argv=sys.argv[:1], exit=False).result.wasSuccessful() else 1)
