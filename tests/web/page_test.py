#!/usr/bin/python3
"""The browser page against kvetro-cli, in headless Chromium.

Every case of the table chooses an MZF file through mzf-file with some
settings typed in, and the page must say and make what kvetro-cli says and
makes for the same file and settings: the --info lines in the header view, the
messages of standard error, and a download byte for byte the command line's
WAV, or no download at all when the command line refuses, whose file leaves
Convert and Play disabled. The time shown is the chosen file's. The machine's
own layout disables the fast loader's settings and starts at its own timing.
Then "Play" must run the progress and lock the settings, at the WAV's rate, and
"Stop" must end both. The read panel must give back, byte for byte, the file
that the page converted (in each layout), under its name made safe; offer no
download for a file that failed; and refuse a file that is no WAV with the
core's text. No page may log an error or ask for anything outside itself.

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


# name, file, the page's inputs by id (a pulse's LO and HI together; the
# layout before the timing, which it may set).
CASES = [
    ("defaults", sample_mzf(300, 0x1200, 0x1200, "GAME", 1), {}),
    ("fast pulses, inverted, constant 200", sample_mzf(1000, 0x2000, 0x2010, "FAST", 2),
     {"zero-lo": 1, "zero-hi": 1, "one-lo": 2, "one-hi": 2, "constant": 200, "invert": True}),
    ("short gaps, body past the end of the file",
     cut_body(sample_mzf(500, 0x1200, 0x1234, "CUT", 3), 123),
     {"loader-gap": 100, "body-gap": 0, "zero-lo": 2, "zero-hi": 3, "one-lo": 4, "one-hi": 5}),
    ("body size 0, refused", sample_mzf(0, 0x1200, 0x1200, "EMPTY", 4), {}),
    ("64 KiB file, refused", bytes(0x12) + b"\x80\xff" + bytes(65536 - 0x14), {"constant": 7}),
    ("a text file, converted with a warning", b"Dear diary, a letter, not a game.\n" * 10, {}),
    # A WAV that kvetro-cli writes: put in place of the MZF, it is refused.
    ("a WAV file, refused", None, {}),
    ("the machine's own layout at 48000 Hz", sample_mzf(700, 0x1200, 0x1200, "OWN", 6),
     {"layout": "standard", "rate": 48000}),
    ("the machine's own without copies, user pulses, 22050 Hz",
     sample_mzf(400, 0x1200, 0x1300, "NOCOPY", 7),
     {"layout": "standard-no-copies", "rate": 22050,
      "zero-lo": 4, "zero-hi": 6, "one-lo": 9, "one-hi": 12}),
    ("fast loader at 48000 Hz", sample_mzf(300, 0x1200, 0x1200, "RATE", 8), {"rate": 48000}),
    ("fast loader's default timing at 22050 Hz, refused",
     sample_mzf(300, 0x1200, 0x1200, "SLOW", 9), {"rate": 22050}),
]

# The fast loader's own settings, which the machine's own layout disables.
FAST_LOADER_ONLY = ("constant", "loader-gap", "body-gap")
TIMING = ("zero-lo", "zero-hi", "one-lo", "one-hi")


def cli_options(inputs: dict) -> list:
    options = {"fast": [], "standard": ["--standard"],
               "standard-no-copies": ["--standard", "--no-copies"]}[inputs.get("layout", "fast")]
    if "rate" in inputs:
        options += ["--rate", str(inputs["rate"])]
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


def cli_read_report(wave: pathlib.Path):
    """What kvetro-cli read --dry-run prints for the WAV, by its bare name, or
    None where this kvetro-cli has no read command."""
    usage = run_cli("read", "--help")
    if usage.returncode != 0 or b"--dry-run" not in usage.stdout:
        return None
    return run_cli("read", "--dry-run", wave.name, cwd=wave.parent).stdout.decode()


def clock(wave: bytes) -> str:
    """The page's playing time of a WAV kvetro-cli wrote (46-byte header, 8-bit
    mono), as m:ss."""
    rate = int.from_bytes(wave[24:28], "little")
    seconds = (len(wave) - 46) // rate
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
                                 f"0:00 / {clock(wave.read_bytes())}")

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
        for locked in ("zero-lo", "body-gap", "invert", "layout", "rate", "mzf-file", "convert",
                       "play"):
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
        for unlocked in ("zero-lo", "body-gap", "invert", "layout", "rate", "mzf-file", "convert",
                         "play"):
            self.assertTrue(browser.element(unlocked).is_enabled(), unlocked)
        self.assert_page_clean()

    def read_recording(self, wave: pathlib.Path):
        """Chooses the WAV in the read panel; answers the report's text and the
        names offered for download."""
        from selenium.webdriver.common.by import By
        browser = self.browser
        text = lambda element_id: browser.element(element_id).get_attribute("textContent")
        before = text("report")
        browser.element("wav-file").send_keys(str(wave.resolve()))
        browser.wait(lambda d: text("report") not in ("", before) or
                     browser.element("read-message").get_attribute("class") == "refusal", 60)
        links = browser.driver.find_elements(By.CSS_SELECTOR, "#read-files a")
        return text("report"), [link.get_attribute("download") for link in links], links

    def test_read_panel_gives_back_what_the_page_converted(self):
        browser = self.browser
        original = sample_mzf(500, 0x1200, 0x1234, ".ROUND/TRIP", 11)
        mzf = self.work / "round.mzf"
        mzf.write_bytes(original)
        for layout in ("fast", "standard"):
            with self.subTest(layout):
                self.open_with(mzf, {"layout": layout})
                browser.element("convert").click()
                browser.element("download").click()
                wave = self.work / f"round-{layout}.wav"
                wave.write_bytes(self.downloaded("round.wav"))
                (self.downloads / "round.wav").unlink()

                report, names, links = self.read_recording(wave)
                self.assertTrue(report.startswith(f"{wave.name}: 44100 Hz, 8-bit PCM"), report)
                self.assertTrue(report.endswith("1 file found, 1 read whole\n"), report)
                expected = cli_read_report(wave)
                if expected is not None:
                    self.assertIn(report, expected)
                # Leading dots and '/' made '_'.
                self.assertEqual(names, ["_ROUND_TRIP.mzf"])
                links[0].click()
                self.assertEqual(self.downloaded("_ROUND_TRIP.mzf"), original)
                (self.downloads / "_ROUND_TRIP.mzf").unlink()
                self.assert_page_clean()

        # The fast body's middle silenced: reported, nothing offered.
        spoiled = bytearray((self.work / "round-fast.wav").read_bytes())
        spoiled[-12000:-11000] = bytes([0x80]) * 1000
        wave = self.work / "spoiled.wav"
        wave.write_bytes(spoiled)
        report, names, _ = self.read_recording(wave)
        self.assertIn("NOT read whole", report)
        self.assertTrue(report.endswith("1 file found, 0 read whole\n"), report)
        self.assertEqual(names, [])

        # An MZF in place of the WAV: the core's refusal, no report, nothing offered.
        report, names, _ = self.read_recording(mzf)
        self.assertEqual(browser.element("read-message").get_attribute("textContent"),
                         "Cannot read round.mzf: not a WAV file (no RIFF/WAVE header)")
        self.assertEqual((report, names), ("", []))
        self.assert_page_clean()

    def timing_shown(self):
        return [int(self.browser.element(input_id).get_attribute("value")) for input_id in TIMING]

    def test_layout_disables_the_fast_loaders_settings_and_starts_its_timing(self):
        browser = self.browser
        browser.open(PAGE)
        # layout chosen, timing typed before it, timing then shown, fast loader's inputs enabled
        steps = [
            ("standard", {}, [9, 11, 18, 19], False),
            ("standard-no-copies", {}, [9, 11, 18, 19], False),
            ("fast", {}, [3, 1, 3, 2], True),
            ("standard", {"zero-lo": 5}, [5, 1, 3, 2], False),
            ("fast", {"one-hi": 30}, [5, 1, 3, 30], True),
        ]
        for layout, typed, timing, enabled in steps:
            with self.subTest(layout=layout, typed=typed):
                browser.set_settings({**typed, "layout": layout})
                self.assertEqual(self.timing_shown(), timing)
                for input_id in FAST_LOADER_ONLY:
                    self.assertEqual(browser.element(input_id).is_enabled(), enabled, input_id)
        self.assert_page_clean()

    def test_play_at_the_chosen_rate_keeps_the_layouts_inputs_disabled(self):
        browser = self.browser
        mzf = self.work / "rates.mzf"
        mzf.write_bytes(sample_mzf(100, 0x1200, 0x1200, "RATES", 10))
        self.open_with(mzf, {"layout": "standard"})
        # Each AudioContext the page makes tells its rate.
        browser.driver.execute_script("""
            window.contextRates = [];
            const Original = window.AudioContext;
            window.AudioContext = class extends Original {
              constructor(options) { super(options); window.contextRates.push(this.sampleRate); }
            };""")
        for rate in (48000, 22050):
            browser.set_settings({"rate": rate})
            browser.element("play").click()
            self.assertTrue(browser.element("stop").is_enabled())
            browser.element("stop").click()
            self.assertTrue(browser.element("zero-lo").is_enabled())
            for input_id in FAST_LOADER_ONLY:
                self.assertFalse(browser.element(input_id).is_enabled(), input_id)
        self.assertEqual(browser.driver.execute_script("return window.contextRates"),
                         [48000, 22050])
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
