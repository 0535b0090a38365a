#!/usr/bin/env python3
"""Draws docs/read_window.png: the read windows of two blocks of a recording.

For each block drawn, the HIGH times of its short pulses (bit 0) and of its
long pulses (bit 1), as kvetro-read-pulses tells them for a recording read
back by Kvetro's reader, as a histogram; the read window between them, where
every read point reads every pulse of the block right, is shaded. The
recording is a WAV of kvetro-cli put through sox (resampled and low-passed,
as a phone or a cheap sound card would), so that the times spread.

    read_window.py PULSES.txt RECORDING_DESCRIPTION OUTPUT.png

PULSES.txt is kvetro-read-pulses' output; the first block of each label in
BLOCKS is drawn.
"""

import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

# label in kvetro-read-pulses' output, title, the machine's read point (µs
# after the rising edge) where it is fixed.
BLOCKS = [
    ("loader-header", "The loader's header at the standard timing", 368.0),
    ("fast-body", "The program's body at the default fast timing", None),
]


def blocks_of(lines):
    """{label: (window_from, window_to, [short HIGH µs], [long HIGH µs])},
    the first block of each label."""
    found = {}
    current = None
    for line in lines:
        words = line.split()
        if words[0] == "block":
            label = words[2]
            current = None if label in found else (float(words[3]), float(words[4]), [], [])
            if current is not None:
                found[label] = current
        elif current is not None:
            current[2 if words[0] == "short" else 3].append(float(words[1]))
    return found


def draw(axis, title, block, read_point):
    window_from, window_to, shorts, longs = block
    low = min(shorts)
    high = max(longs)
    margin = (high - low) * 0.08
    bins = 120
    width = (high - low + 2 * margin) / bins
    edges = [low - margin + i * width for i in range(bins + 1)]
    axis.axvspan(window_from, window_to, color="#2e8b57", alpha=0.18,
                 label=f"read window {window_from:.1f} to {window_to:.1f} µs "
                       f"({window_to - window_from:.1f} µs wide)")
    axis.hist(shorts, bins=edges, color="#1f4e79", label=f"short pulses, bit 0 ({len(shorts)})")
    axis.hist(longs, bins=edges, color="#c0392b", label=f"long pulses, bit 1 ({len(longs)})")
    for edge in (window_from, window_to):
        axis.axvline(edge, color="#2e8b57", linewidth=1.2)
    if read_point is not None:
        axis.axvline(read_point, color="#444444", linewidth=1.0, linestyle="--",
                     label=f"the monitor's read point, about {read_point:.0f} µs")
    axis.set_yscale("log")
    axis.set_xlim(edges[0], edges[-1])
    axis.set_xlabel("HIGH time after the rising edge, µs", fontsize=9)
    axis.set_ylabel("pulses", fontsize=9)
    axis.set_title(title, loc="left", fontsize=10)
    axis.tick_params(labelsize=8)
    axis.legend(fontsize=8, loc="upper center")


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding="ascii") as text:
        blocks = blocks_of(text.read().splitlines())
    missing = [label for label, _, _ in BLOCKS if label not in blocks]
    if missing:
        print(f"read_window.py: no block {', '.join(missing)} in {sys.argv[1]}", file=sys.stderr)
        return 1
    figure, axes = plt.subplots(len(BLOCKS), 1, figsize=(11, 4 * len(BLOCKS)))
    for axis, (label, title, read_point) in zip(axes, BLOCKS):
        draw(axis, title, blocks[label], read_point)
    figure.suptitle(f"Read windows of Kvetro's output, {sys.argv[2]}", fontsize=12)
    figure.tight_layout()
    figure.savefig(sys.argv[3], dpi=90)
    return 0


if __name__ == "__main__":
    sys.exit(main())
