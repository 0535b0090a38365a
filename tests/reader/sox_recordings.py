#!/usr/bin/env python3
"""Recordings as players, cables and tapes make them, read back by kvetro-cli.

Kvetro's own WAVs (the machine's own layout with --standard, and the fast
loader at its default timing) are turned by Debian's sox into what a phone,
a sound card, a cassette deck or a cable would make of them: resampled, quiet,
noisy, shifted, inverted, too fast or too slow, in other sample formats, in one
channel of two, filtered. `kvetro-cli read` must then give the file back byte
for byte, or report it unreadable with a reason (exit 1, nothing written); it
must never write a wrong MZF and call it good.

Prints the table of cases: read or not, and the narrowest read window of the
file's blocks (the fast body's for the fast loader).

    sox_recordings.py KVETRO_CLI

Exit 0 when every case holds, 1 when one does not, 77 (skipped, with the
reason) when sox is missing outside CI; in CI (CI set) a missing sox fails.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "packaging"))
from make_sample_mzf import sample_mzf  # noqa: E402

SKIPPED = 77
NAME = "SOX TEST"

# Each case: its name, sox's output options and effects, and what goes with the
# input: "noise" mixes white noise in, "noise channel" puts noise beside it as
# the first of two channels.
CASES = [
    ("as written", [], []),
    ("48000 Hz", ["-r", "48000"], []),
    ("22050 Hz", ["-r", "22050"], []),
    ("-30 dB, 16-bit", ["-b", "16"], ["vol", "-30dB"]),
    ("-30 dB, 8-bit", [], ["vol", "-30dB"]),
    ("white noise", [], "noise"),
    ("DC offset +0.3", [], ["dcshift", "0.3"]),
    ("inverted", [], ["vol", "-1"]),
    ("speed +4 %", [], ["speed", "1.04"]),
    ("speed -4 %", [], ["speed", "0.96"]),
    ("16-bit", ["-b", "16"], []),
    ("32-bit float", ["-e", "floating-point", "-b", "32"], []),
    ("stereo, other silent", ["-c", "2"], ["remix", "0", "1"]),
    ("stereo, other noise", [], "noise channel"),
    ("high-pass 20 Hz", [], ["highpass", "20"]),
    ("high-pass 300 Hz", [], ["highpass", "300"]),
    ("low-pass 8 kHz", [], ["lowpass", "8000"]),
]

WINDOW = re.compile(r"read window (?:([\d.]+) to ([\d.]+) µs|none)")


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=300, **kwargs)


def make_case(sox, source, target, folder, output_options, effects):
    if effects in ("noise", "noise channel"):
        noise = os.path.join(folder, "noise.wav")
        info = run(["soxi", "-D", source]) if shutil.which("soxi") else None
        seconds = info.stdout.strip() if info and info.returncode == 0 else "120"
        run([sox, "-R", "-n", "-r", "44100", "-c", "1", "-b", "16", noise, "synth", seconds,
             "whitenoise", "vol", "0.15"]).check_returncode()
        merge = "-m" if effects == "noise" else "-M"
        inputs = [noise, source] if effects == "noise channel" else [source, noise]
        command = [sox, "-R", merge] + inputs + ["-b", "16", target]
    else:
        command = [sox, "-R", source] + output_options + [target] + effects
    result = run(command)
    if result.returncode != 0:
        raise RuntimeError(f"sox failed: {' '.join(command)}\n{result.stderr}")


def read_case(cli, wave, out, original):
    """Answers (verdict, window text, problem or None)."""
    for left in os.listdir(out):
        os.remove(os.path.join(out, left))
    result = run([cli, "read", "--out", out, wave])
    written = sorted(os.listdir(out))
    windows = []
    for match in WINDOW.finditer(result.stdout):
        windows.append(None if match.group(1) is None
                       else (float(match.group(1)), float(match.group(2))))
    if result.returncode == 0:
        if written != [NAME + ".mzf"]:
            return "read", "", f"exit 0 but wrote {written}"
        with open(os.path.join(out, written[0]), "rb") as handle:
            if handle.read() != original:
                return "WRONG", "", "a wrong MZF was written and reported good"
        # The narrowest window decides: the fast body's for the fast loader.
        narrowest = min(windows, key=lambda w: w[1] - w[0])
        return "read", f"{narrowest[0]:.1f} to {narrowest[1]:.1f}", None
    if result.returncode != 1:
        return "failed", "", f"exit {result.returncode}: {result.stderr.strip()}"
    if written:
        return "not read", "", f"exit 1 but wrote {written}"
    # The report's line of the first block not read, or its word that no
    # file was found.
    failed = [line.strip() for line in result.stdout.splitlines()
              if "failed," in line or ": not found" in line or "not known to be right" in line
              or line.startswith("No tape file found")]
    if not failed and not result.stderr.strip():
        return "not read", "", "exit 1 without a reason"
    reason = failed[0] if failed else result.stderr.strip().splitlines()[0]
    return "not read", reason, None


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    cli = sys.argv[1]
    sox = shutil.which("sox")
    if sox is None:
        if os.environ.get("CI"):
            print("sox is missing; scripts/deps test installs it")
            return 1
        print("Skipped: sox is not installed (scripts/deps test installs it)")
        return SKIPPED
    problems = 0
    with tempfile.TemporaryDirectory(prefix="kvetro-sox-") as folder:
        mzf = os.path.join(folder, "game.mzf")
        original = sample_mzf(2000, 0x1200, 0x1200, NAME, 5)
        with open(mzf, "wb") as handle:
            handle.write(original)
        out = os.path.join(folder, "out")
        os.mkdir(out)
        for layout, options in (("standard timing (--standard)", ["--standard"]),
                                ("fast loader, default timing", [])):
            source = os.path.join(folder, "source.wav")
            run([cli] + options + [mzf, source]).check_returncode()
            print(f"\n{layout}:")
            print(f"  {'case':24} {'result':9} read window in µs, or the reason")
            for name, output_options, effects in CASES:
                wave = os.path.join(folder, "case.wav")
                make_case(sox, source, wave, folder, output_options, effects)
                verdict, detail, problem = read_case(cli, wave, out, original)
                print(f"  {name:24} {verdict:9} {detail}")
                if problem:
                    print(f"    FAILED: {problem}")
                    problems += 1
    print(f"\n{len(CASES) * 2 - problems} passed, {problems} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
