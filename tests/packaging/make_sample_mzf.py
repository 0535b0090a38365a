#!/usr/bin/env python3
"""Writes a small MZF tape image for the package and picture scripts.

An MZF file is a 128-byte header followed by the body. The header starts with
the file attribute (0x01, a machine-code program), then the file name of up to
17 bytes ended by 0x0D, then three 16-bit little-endian words at 0x12: body
size, load address and execution address. The rest of the header is a comment
area that the machine's monitor ignores.

The body is a fixed pseudo-random byte run, so that every byte value and bit
pattern shows up and the same arguments always give the same file.
"""

import argparse
import struct
import sys

HEADER_SIZE = 128


def sample_body(size: int, seed: int) -> bytes:
    # A 32-bit linear congruential generator; the high byte is the sample.
    state = seed & 0xFFFFFFFF
    out = bytearray()
    for _ in range(size):
        state = (state * 1664525 + 1013904223) & 0xFFFFFFFF
        out.append(state >> 24)
    return bytes(out)


def sample_mzf(size: int, load: int, start: int, name: str, seed: int) -> bytes:
    header = bytearray(HEADER_SIZE)
    header[0] = 0x01
    raw_name = name.encode("ascii")[:16] + b"\x0d"
    header[1:1 + len(raw_name)] = raw_name
    struct.pack_into("<HHH", header, 0x12, size, load, start)
    comment = b"Made by the Kvetro package test"
    header[0x18:0x18 + len(comment)] = comment
    return bytes(header) + sample_body(size, seed)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", help="MZF file to write")
    parser.add_argument("--size", type=int, default=300, help="body size in bytes")
    parser.add_argument("--load", type=lambda t: int(t, 0), default=0x1200)
    parser.add_argument("--start", type=lambda t: int(t, 0), default=0x1200)
    parser.add_argument("--name", default="KVETRO SAMPLE")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if not 0 <= args.size <= 0xFFFF - HEADER_SIZE:
        parser.error("--size must be 0 to 65407")
    with open(args.output, "wb") as out:
        out.write(sample_mzf(args.size, args.load, args.start, args.name, args.seed))
    return 0


if __name__ == "__main__":
    sys.exit(main())
