#!/usr/bin/env python3
"""Draws docs/waveform.png: four short stretches of a WAV from kvetro-cli.

The stretches are the ones worth holding against a recording of a real tape:
the lead gap, the first tape mark, the first header bytes (all three at the
monitor's standard timing) and the first body bytes of the second tape file
at the fast default timing. Each pulse is a run of LO samples (0x30) followed
by a run of HI samples (0xD0); the bytes are labelled with the bits they send
(S for the long start pulse of each byte).

    waveform.py INPUT.mzf INPUT.wav OUTPUT.png [--loader-gap N] [--body-gap N]

The WAV must have been made from INPUT.mzf with the default pulse timing and
the given gaps; tests/packaging/decode_tape_wave.py splits it into pulses.
"""

import argparse
import os
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "packaging"))
import decode_tape_wave as tape  # noqa: E402

RATE = 44100
LOADER_BODY = 90


def byte_labels(value):
    return ["S"] + [str((value >> bit) & 1) for bit in range(7, -1, -1)]


def draw(axis, samples, starts, first_pulse, last_pulse, title, labels=()):
    """Draws pulses first_pulse to last_pulse (exclusive); labels start at the
    given pulse indices: a list of (pulse index, [text per pulse])."""
    begin = starts[first_pulse]
    end = starts[last_pulse]
    xs, ys = [], []
    for i in range(begin, end):
        t = (i - begin) * 1000.0 / RATE
        xs += [t, t + 1000.0 / RATE]
        ys += [samples[i], samples[i]]
    axis.plot(xs, ys, color="#1f4e79", linewidth=1.4, drawstyle="default")
    axis.axhline(128, color="#999999", linewidth=0.6, linestyle=":")
    axis.set_ylim(0, 256)
    axis.set_yticks([0x30, 128, 0xD0])
    axis.set_yticklabels(["LO 0x30", "0x80", "HI 0xD0"])
    axis.set_xlim(0, (end - begin) * 1000.0 / RATE)
    axis.set_title(f"{title}   (from {begin * 1000.0 / RATE:.3f} ms)", loc="left", fontsize=10)
    axis.grid(axis="x", color="#dddddd", linewidth=0.5)
    for pulse, texts in labels:
        for k, text in enumerate(texts):
            p = pulse + k
            if first_pulse <= p < last_pulse:
                mid = ((starts[p] + starts[p + 1]) / 2 - begin) * 1000.0 / RATE
                axis.text(mid, 232, text, ha="center", va="center", fontsize=8,
                          color="#c0392b" if text == "S" else "#222222")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("mzf")
    parser.add_argument("wav")
    parser.add_argument("png")
    parser.add_argument("--loader-gap", type=int, default=5000)
    parser.add_argument("--body-gap", type=int, default=5000)
    args = parser.parse_args()

    mzf = open(args.mzf, "rb").read()
    samples = tape.wave_samples(open(args.wav, "rb").read())
    pulses = tape.pulses(samples, invert=False)
    starts = [0]
    for lo, hi in pulses:
        starts.append(starts[-1] + lo + hi)

    g0, g1 = args.loader_gap, args.body_gap
    header_start = g0 + 40 + 40 + 1          # first pulse of header byte 0
    loader_pulses = g0 + g1 + 1125 + 9 * (132 + LOADER_BODY)
    body_start = loader_pulses + 1 + 1000 + g1 + 20 + 20 + 1

    header = bytearray(128)
    header[:min(128, len(mzf))] = mzf[:128]
    header[0x12:0x18] = bytes([0x5A, 0x00, 0x00, 0xD4, 0x00, 0xD4])
    body = mzf[128:]

    figure, axes = plt.subplots(4, 1, figsize=(11, 10.5))
    draw(axes[0], samples, starts, 0, 12,
         "Lead gap: short pulses (bit 0) at standard timing, 9 LO + 11 HI samples = 0.454 ms")
    draw(axes[1], samples, starts, g0 - 6, g0 + 6,
         "End of the lead gap, start of the tape mark: long pulses (bit 1), 18 LO + 19 HI = 0.839 ms",
         [(g0 - 6, ["0"] * 6 + ["1"] * 6)])
    draw(axes[2], samples, starts, header_start - 3, header_start + 18,
         f"Header: end of the tape mark, one long pulse, then byte 0x{header[0]:02X}, "
         f"byte 0x{header[1]:02X} ...",
         [(header_start - 3, ["0", "0", "1"]),
          (header_start, byte_labels(header[0]) + byte_labels(header[1]))])
    if len(body) >= 3:
        draw(axes[3], samples, starts, body_start - 3, body_start + 27,
             f"Second tape file, the body at the default fast timing 3 + 1 / 3 + 2: bytes "
             f"0x{body[0]:02X} 0x{body[1]:02X} 0x{body[2]:02X}",
             [(body_start - 3, ["0", "0", "1"]),
              (body_start, byte_labels(body[0]) + byte_labels(body[1]) + byte_labels(body[2]))])
    for axis in axes:
        axis.set_xlabel("ms", fontsize=8, labelpad=1)
        axis.tick_params(labelsize=8)
    figure.suptitle("Kvetro output: 44100 Hz, 8-bit, mono; a pulse is LO samples then HI samples",
                    fontsize=12)
    figure.tight_layout()
    figure.savefig(args.png, dpi=90)
    return 0


if __name__ == "__main__":
    sys.exit(main())
