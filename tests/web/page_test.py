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
that the page converted (in each layout), under its name made safe, with a
picture of each block's read window in the colour of its room; offer a file
that failed as kvetro-cli read --keep-bad writes it, with the waveform where
it failed; and refuse a file that is no WAV with the core's text. Several files chosen at
once (or one MZT) are listed with their times and make kvetro-cli's WAV of
them all, or its refusal with the fast loader; read back, "Download all as
MZT" gives them back in one file. "Record"
reads Chromium's fake audio input playing one of our WAVs: the file appears
while it plays and downloads byte for byte. At phone width, Convert, Download
and Play lie within two screens and nothing is cut off; the rate starts at
the device's. No page may log an error or ask for anything outside itself.

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


# The read window's colour for each room, as the page draws it.
ROOM_COLOURS = {"wide": "rgb(46, 139, 58)", "narrow": "rgb(208, 138, 0)",
                "none": "rgb(198, 40, 40)"}
README = pathlib.Path(__file__).resolve().parents[2] / "README.md"


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
        # The page starts at the device's rate; kvetro-cli at 44100 Hz.
        browser.set_settings({"rate": 44100, **inputs})
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

    def pictures(self):
        """Each block's picture: its name, its room, the colour of its read
        window, and whether it shows the waveform where it went wrong."""
        return self.browser.driver.execute_script("""
            return [...document.querySelectorAll('#pictures figure')].map((figure) => [
              figure.dataset.label, figure.dataset.room,
              getComputedStyle(figure.querySelector('.window')).fill,
              figure.querySelector('svg.waveform polyline') !== null]);""")

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
                blocks = {"fast": ["loader header", "loader body", "body"],
                          "standard": ["header", "body"]}[layout]
                self.assertEqual(self.pictures(),
                                 [[block, "wide", ROOM_COLOURS["wide"], False] for block in blocks])
                links[0].click()
                self.assertEqual(self.downloaded("_ROUND_TRIP.mzf"), original)
                (self.downloads / "_ROUND_TRIP.mzf").unlink()
                self.assert_page_clean()

        # The fast body's middle silenced: reported, and offered as
        # kvetro-cli read --keep-bad writes it, with the waveform where it
        # failed.
        spoiled = bytearray((self.work / "round-fast.wav").read_bytes())
        spoiled[-12000:-11000] = bytes([0x80]) * 1000
        wave = self.work / "spoiled.wav"
        wave.write_bytes(spoiled)
        report, names, links = self.read_recording(wave)
        self.assertIn("NOT read whole", report)
        self.assertTrue(report.endswith("1 file found, 0 read whole\n"), report)
        self.assertEqual(names, ["_ROUND_TRIP.bad.mzf"])
        self.assertEqual(self.pictures(), [
            ["loader header", "wide", ROOM_COLOURS["wide"], False],
            ["loader body", "wide", ROOM_COLOURS["wide"], False],
            ["body", "none", ROOM_COLOURS["none"], True]])
        links[0].click()
        kept = self.work / "kept"
        self.assertEqual(run_cli("read", "--keep-bad", "--out", str(kept), str(wave)).returncode, 1)
        self.assertEqual(self.downloaded("_ROUND_TRIP.bad.mzf"),
                         (kept / "_ROUND_TRIP.bad.mzf").read_bytes())

        # Quiet and dithered by sox, the fast body's window narrows.
        if shutil.which("sox"):
            quiet = self.work / "quiet.wav"
            subprocess.run(["sox", "-R", str(self.work / "round-fast.wav"), str(quiet), "vol",
                            "-30dB"], check=True)
            report, names, _ = self.read_recording(quiet)
            self.assertEqual([picture[1:3] for picture in self.pictures()],
                             [["wide", ROOM_COLOURS["wide"]], ["wide", ROOM_COLOURS["wide"]],
                              ["narrow", ROOM_COLOURS["narrow"]]], report)

        # An MZF in place of the WAV: the core's refusal, no report, nothing offered.
        report, names, _ = self.read_recording(mzf)
        self.assertEqual(browser.element("read-message").get_attribute("textContent"),
                         "Cannot read round.mzf: not a WAV file (no RIFF/WAVE header)")
        self.assertEqual((report, names), ("", []))
        self.assert_page_clean()

    def test_several_files_make_one_tape_and_read_back_as_one_mzt(self):
        import re
        from selenium.webdriver.common.by import By
        browser = self.browser
        parts = [sample_mzf(300, 0x1200, 0x1200, "BASIC", 14),
                 sample_mzf(200, 0x5000, 0x5000, "PROGRAM", 15)]
        for name, data in (("a.mzf", parts[0]), ("b.mzf", parts[1]), ("ab.mzt", b"".join(parts))):
            (self.work / name).write_bytes(data)
        # files chosen, layout, written
        tapes = [(("a.mzf", "b.mzf"), "standard", True),
                 (("a.mzf", "b.mzf"), "standard-no-copies", True),
                 (("ab.mzt",), "standard", True),
                 (("a.mzf", "b.mzf"), "fast", False)]
        text = lambda element_id: browser.element(element_id).get_attribute("textContent")
        for names, layout, written in tapes:
            with self.subTest(names=names, layout=layout):
                options = cli_options({"layout": layout})
                info = run_cli("--info", *options, *names, cwd=self.work)
                stem = names[0].rsplit(".", 1)[0]
                wave = self.work / f"{stem}-{layout}.wav"
                conversion = run_cli(*options, *names, str(wave), cwd=self.work)
                self.assertEqual(conversion.returncode, 0 if written else 1)
                browser.open(PAGE)
                browser.set_settings({"rate": 44100, "layout": layout})
                browser.choose(*(self.work / name for name in names))
                browser.wait(lambda d: text("info") == info.stdout.decode() and
                             text("message") == info.stderr.decode().rstrip("\n"))
                samples = [int(count) for count in
                           re.findall(r"Tape file: .*\((\d+) samples\)", info.stdout.decode())]
                times = [f": {seconds // 60}:{seconds % 60:02d}"
                         for seconds in (count // 44100 for count in samples)] or ["", ""]
                listed = [item.text for item in
                          browser.driver.find_elements(By.CSS_SELECTOR, "#tape-files li")]
                sources = names if len(names) == 2 else names * 2
                self.assertEqual(listed, [f"File {number} of 2 ({source}){time}"
                                          for number, source, time in zip((1, 2), sources, times)])
                self.assertEqual(browser.element("convert").is_enabled(), written)
                if written:
                    browser.element("convert").click()
                    browser.element("download").click()
                    download = f"{stem}.wav"
                    self.assertEqual(self.downloaded(download), wave.read_bytes())
                    (self.downloads / download).unlink()
                self.assert_page_clean()

        # The tape read back: one MZT of both files, in order.
        self.read_recording(self.work / "a-standard.wav")
        mzt = browser.element("download-mzt")
        self.assertEqual((mzt.text, mzt.get_attribute("download")),
                         ("Download all as MZT", "a-standard.mzt"))
        mzt.click()
        self.assertEqual(self.downloaded("a-standard.mzt"), b"".join(parts))
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


class RecordTest(unittest.TestCase):
    """Chromium's fake audio input plays one of our WAVs, once."""

    def test_record_shows_each_file_as_it_is_read_whole(self):
        from browser import Browser
        from selenium.webdriver.common.by import By
        work = pathlib.Path(tempfile.mkdtemp(prefix="kvetro-record-"))
        self.addCleanup(shutil.rmtree, work, True)
        original = sample_mzf(300, 0x1200, 0x1234, "LIVE", 12)
        (work / "live.mzf").write_bytes(original)
        # The fast loader with short gaps, its body at the standard timing:
        # four seconds.
        self.assertEqual(run_cli("--loader-gap", "300", "--body-gap", "300", "--zero", "9,11",
                                 "--one", "18,19", str(work / "live.mzf"),
                                 str(work / "live.wav")).returncode, 0)
        downloads = work / "downloads"
        downloads.mkdir()
        browser = Browser(downloads, flags=(
            "--use-fake-ui-for-media-stream", "--use-fake-device-for-media-stream",
            f"--use-file-for-fake-audio-capture={work / 'live.wav'}%noloop"))
        self.addCleanup(browser.close)
        browser.open(PAGE)
        text = lambda element_id: browser.element(element_id).get_attribute("textContent")
        browser.element("record").click()
        link = browser.wait(lambda d: d.find_elements(By.CSS_SELECTOR, "#read-files a"), 60)[0]
        # While the input is still open.
        self.assertTrue(browser.element("record-stop").is_enabled())
        self.assertEqual((text("level-text"), text("level-hint")), ("-4 dB", "good level"))
        self.assertEqual(link.get_attribute("download"), "LIVE.mzf")
        link.click()
        target = downloads / "LIVE.mzf"
        browser.wait(lambda d: target.exists() and not list(downloads.glob("*.crdownload")))
        self.assertEqual(target.read_bytes(), original)
        self.assertEqual([figure.get_attribute("data-room") for figure in
                          browser.driver.find_elements(By.CSS_SELECTOR, "#pictures figure")],
                         ["wide"] * 3)

        browser.element("record-stop").click()
        browser.wait(lambda d: browser.element("record").is_enabled())
        report = text("report")
        self.assertRegex(report, r"^recording: \d+ Hz, 32-bit float, 1 channel, a stream; "
                                 r"channel 1\nFile 1 at [\d:.]+: \"LIVE\", .*: read whole\n")
        self.assertTrue(report.endswith("1 file found, 1 read whole\n"), report)
        self.assertEqual(browser.console_errors(), [])


class PhoneTest(unittest.TestCase):
    """The page at 390 CSS pixels, as a phone shows it."""

    WIDTH, HEIGHT = 390, 844

    @classmethod
    def setUpClass(cls):
        from browser import Browser
        cls.work = pathlib.Path(tempfile.mkdtemp(prefix="kvetro-phone-"))
        cls.browser = Browser(cls.work)
        cls.browser.driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": cls.WIDTH, "height": cls.HEIGHT, "deviceScaleFactor": 1, "mobile": True})

    @classmethod
    def tearDownClass(cls):
        cls.browser.close()
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_the_buttons_lie_within_two_screens_and_nothing_is_cut_off(self):
        browser = self.browser
        mzf = self.work / "phone.mzf"
        mzf.write_bytes(sample_mzf(300, 0x1200, 0x1200, "PHONE", 13))
        browser.open(PAGE)
        browser.choose(mzf)
        browser.wait(lambda d: browser.element("convert").is_enabled())
        browser.element("convert").click()
        for button in ("convert", "download", "play"):
            bottom = browser.driver.execute_script(
                "return arguments[0].getBoundingClientRect().bottom + scrollY",
                browser.element(button))
            self.assertLessEqual(bottom, 2 * self.HEIGHT, button)
        # No option wider than its choice, beside its arrow.
        cut = browser.driver.execute_script("""
            const measure = document.createElement('canvas').getContext('2d');
            return [...document.querySelectorAll('select')].flatMap((select) => {
              const style = getComputedStyle(select);
              measure.font = `${style.fontWeight} ${style.fontSize} ${style.fontFamily}`;
              const room = select.clientWidth - parseFloat(style.paddingLeft) - 24;
              return [...select.options].map((option) => option.text)
                .filter((text) => measure.measureText(text).width > room);
            });""")
        self.assertEqual(cut, [])
        # A report's lines stay whole; the page does not grow wider than the screen.
        wave = self.work / "phone.wav"
        self.assertEqual(run_cli(str(mzf), str(wave)).returncode, 0)
        browser.element("wav-file").send_keys(str(wave))
        browser.wait(lambda d: browser.element("report").get_attribute("textContent"), 30)
        self.assertEqual(browser.driver.execute_script(
            "return getComputedStyle(document.getElementById('report')).whiteSpace"), "pre")
        self.assertEqual(browser.driver.execute_script(
            "return document.documentElement.scrollWidth"), self.WIDTH)
        self.assertEqual(browser.console_errors(), [])

    def test_the_rate_starts_at_the_devices_own(self):
        browser = self.browser
        # device's rate, the rate chosen, its option's text
        for device, chosen, option in ((48000, "48000", "48000 Hz"),
                                       (96000, "96000", "96000 Hz")):
            with self.subTest(device):
                script = browser.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
                    "source": f"""
                        const Device = window.AudioContext;
                        window.AudioContext = class extends Device {{
                          constructor(options) {{ super(options || {{ sampleRate: {device} }}); }}
                        }};"""})
                try:
                    browser.open(PAGE)
                    rate = browser.element("rate")
                    self.assertEqual(rate.get_attribute("value"), chosen)
                    self.assertEqual(browser.driver.execute_script(
                        "return arguments[0].selectedOptions[0].text", rate), option)
                finally:
                    browser.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                                   script)

    def test_the_readme_gives_the_pages_size(self):
        import re
        written = re.search(r"self-contained page of about (\d+) KB", README.read_text())
        self.assertIsNotNone(written)
        size = PAGE.stat().st_size / 1000
        self.assertLessEqual(abs(size - int(written.group(1))), size * 0.05)


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
