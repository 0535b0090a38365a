#!/usr/bin/env python3
"""Draws docs/read_window.png: the read windows of blocks of recordings.

For each block drawn, the HIGH times of its short pulses (bit 0) and of its
long pulses (bit 1), as kvetro-read-pulses tells them for a recording read
back by Kvetro's reader, as a histogram; the read window between them, where
every read point reads every pulse of the block right, is shaded. The
recordings are WAVs of kvetro-cli put through sox (resampled, low-passed, as
a phone or a cheap sound card would), so that the times spread.

    read_window.py OUTPUT.png (PULSES.txt LABEL TITLE)...

One panel for each triple: the first block of that label (loader-header,
fast-body, ...) in PULSES.txt, kvetro-read-pulses' output.
"""

import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

# The monitor's read point at the standard timing, in µs after the rising
# edge; the fast body's depends on the monitor constant.
STANDARD_READ_POINT = 368.0
STANDARD_LABELS = ("header", "body", "loader-header", "loader-body")


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
    panels = sys.argv[2:]
    if len(sys.argv) < 5 or len(panels) % 3:
        print(__doc__, file=sys.stderr)
        return 2
    figure, axes = plt.subplots(len(panels) // 3, 1, figsize=(11, 4 * len(panels) // 3),
                                squeeze=False)
    for axis, at in zip(axes[:, 0], range(0, len(panels), 3)):
        pulses, label, title = panels[at:at + 3]
        with open(pulses, encoding="ascii") as text:
            blocks = blocks_of(text.read().splitlines())
        if label not in blocks:
            print(f"read_window.py: no block {label} read whole in {pulses}", file=sys.stderr)
            return 1
        read_point = STANDARD_READ_POINT if label in STANDARD_LABELS else None
        draw(axis, title, blocks[label], read_point)
    figure.suptitle("Read windows of Kvetro's output, recorded through sox", fontsize=12)
    figure.tight_layout()
    figure.savefig(sys.argv[1], dpi=90)
    return 0


if __name__ == "__main__":
    sys.exit(main())
