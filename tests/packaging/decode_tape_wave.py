#!/usr/bin/env python3
"""Reads a WAV written by kvetro-cli back into tape blocks and checks them.

The WAV must be exactly what the converter promises: a 46-byte RIFF/WAVE
header (PCM, 44100 Hz, 8 bits, 1 channel, an 18-byte format chunk) and then
nothing but pulses, each a run of LO samples (0x30) followed by a run of HI
samples (0xD0). A short pulse is a 0 bit, a long pulse a 1 bit; a byte is a
long start pulse and its eight bits from bit 7 down; a block checksum is the
count of 1 bits in the block's data, sent high byte first.

The first tape file (the loader) goes out at the monitor's standard timing,
9 + 11 samples for a short pulse and 18 + 19 for a long one:
    lead gap, tape mark 40 long + 40 short, 1 long, 128-byte header, checksum,
    1 long, 1000 + body gap short, tape mark 20 long + 20 short, 1 long,
    90-byte loader body, checksum, 1 long, 1 long.
The second (the user's body) at the user's timing:
    1 long, 1000 + body gap short, 20 long, 20 short, 1 long, body, checksum,
    1 long, 1 long.

Every sample must belong to that sequence. Exits 0 and prints one line with
the pulse counts when the WAV matches the MZF and the settings, else exits 1
and says where it went wrong.
"""

import argparse
import struct
import sys

LO, HI = 0x30, 0xD0
STANDARD = ((9, 11), (18, 19))
LOADER_BODY_SIZE = 90
HEADER_SIZE = 128


class Mismatch(Exception):
    pass


def wave_samples(wav: bytes) -> bytes:
    if len(wav) < 46:
        raise Mismatch(f"file of {len(wav)} bytes is shorter than the 46-byte header")
    fields = struct.unpack_from("<4sI4s4sIHHIIHHH4sI", wav, 0)
    n = len(wav) - 46
    want = (b"RIFF", 38 + n, b"WAVE", b"fmt ", 18, 1, 1, 44100, 44100, 1, 8, 0, b"data", n)
    if fields != want:
        raise Mismatch(f"header {fields} is not {want}")
    return wav[46:]


def pulses(samples: bytes, invert: bool):
    """Splits the samples into (LO count, HI count) pairs."""
    lo, hi = (HI, LO) if invert else (LO, HI)
    out = []
    i, n = 0, len(samples)
    while i < n:
        start = i
        while i < n and samples[i] == lo:
            i += 1
        mid = i
        while i < n and samples[i] == hi:
            i += 1
        if i == start or (i < n and samples[i] not in (lo, hi)):
            raise Mismatch(f"sample {i} is 0x{samples[i]:02X}, neither level")
        out.append((mid - start, i - mid))
    return out


class Reader:
    def __init__(self, pulse_list):
        self.pulses = pulse_list
        self.index = 0
        self.counts = {}

    def bit(self, timing, what):
        if self.index >= len(self.pulses):
            raise Mismatch(f"the WAV ends in {what}")
        pulse = self.pulses[self.index]
        if pulse == timing[1]:
            value = 1
        elif pulse == timing[0]:
            value = 0
        else:
            raise Mismatch(f"pulse {self.index} in {what} is {pulse}, neither {timing[0]} nor {timing[1]}")
        self.index += 1
        self.counts[value] = self.counts.get(value, 0) + 1
        return value

    def run(self, timing, value, count, what):
        for k in range(count):
            if self.bit(timing, what) != value:
                raise Mismatch(f"pulse {self.index - 1} is {k + 1}. of {what}: wanted a {value}")

    def byte(self, timing, what):
        if self.bit(timing, what) != 1:
            raise Mismatch(f"pulse {self.index - 1}: {what} lacks its long start pulse")
        value = 0
        for _ in range(8):
            value = (value << 1) | self.bit(timing, what)
        return value

    def block(self, timing, size, what):
        data = bytes(self.byte(timing, what) for _ in range(size))
        checksum = (self.byte(timing, what + " checksum") << 8) | self.byte(timing, what + " checksum")
        ones = sum(bin(b).count("1") for b in data) & 0xFFFF
        if checksum != ones:
            raise Mismatch(f"{what} checksum is 0x{checksum:04X}, its data has 0x{ones:04X} one bits")
        return data

    def body_file(self, timing, gap, size, what):
        """What a file carries from its second gap on."""
        self.run(timing, 1, 1, "the long pulse after the header")
        self.run(timing, 0, 1000 + gap, f"the gap before the {what}")
        self.run(timing, 1, 20, f"the tape mark before the {what}")
        self.run(timing, 0, 20, f"the tape mark before the {what}")
        self.run(timing, 1, 1, f"the long pulse before the {what}")
        data = self.block(timing, size, what)
        self.run(timing, 1, 2, f"the end pulses after the {what}")
        return data


def check(mzf: bytes, wav: bytes, args) -> str:
    image = bytearray(65536)
    image[:len(mzf)] = mzf
    body_size = struct.unpack_from("<H", image, 0x12)[0]
    user = ((args.zero[0], args.zero[1]), (args.one[0], args.one[1]))

    reader = Reader(pulses(wave_samples(wav), args.invert))
    reader.run(STANDARD, 0, args.loader_gap, "the lead gap")
    reader.run(STANDARD, 1, 40, "the header tape mark")
    reader.run(STANDARD, 0, 40, "the header tape mark")
    reader.run(STANDARD, 1, 1, "the long pulse before the header")
    header = reader.block(STANDARD, HEADER_SIZE, "header")
    loader = reader.body_file(STANDARD, args.body_gap, LOADER_BODY_SIZE, "loader body")
    loader_counts = dict(reader.counts)
    reader.counts = {}
    body = reader.body_file(user, args.body_gap, body_size, "body")
    if reader.index != len(reader.pulses):
        raise Mismatch(f"{len(reader.pulses) - reader.index} pulses follow the last end pulse")

    # The loader's header is the user's with size 90 and both addresses 0xD400.
    want_header = bytearray(image[:HEADER_SIZE])
    want_header[0x12:0x18] = bytes([0x5A, 0x00, 0x00, 0xD4, 0x00, 0xD4])
    if header != want_header:
        raise Mismatch("the loader header is not the user's header with size 90 and 0xD400")
    # Its parameter block: constant, 0x01, the user's size and addresses.
    params = bytes([args.constant & 0xFF, 0x01]) + bytes(image[0x12:0x18])
    if loader[75:83] != params:
        raise Mismatch(f"loader parameters {loader[75:83].hex()} are not {params.hex()}")
    if loader[83:90] != bytes(image[HEADER_SIZE + 83:HEADER_SIZE + 90]):
        raise Mismatch("loader bytes 83 to 89 are not the file's body bytes 83 to 89")
    if body != bytes(image[HEADER_SIZE:HEADER_SIZE + body_size]):
        raise Mismatch("the body on tape is not the file's body")
    return (f"loader file {loader_counts.get(0, 0)} short + {loader_counts.get(1, 0)} long pulses, "
            f"body {reader.counts.get(0, 0)} short + {reader.counts.get(1, 0)} long pulses, "
            f"{len(wav) - 46} samples")


def pair(text):
    lo, hi = text.split(",")
    return int(lo), int(hi)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("mzf")
    parser.add_argument("wav")
    parser.add_argument("--zero", type=pair, default=(3, 1))
    parser.add_argument("--one", type=pair, default=(3, 2))
    parser.add_argument("--constant", type=int, default=1)
    parser.add_argument("--loader-gap", type=int, default=5000)
    parser.add_argument("--body-gap", type=int, default=5000)
    parser.add_argument("--invert", action="store_true")
    args = parser.parse_args()
    with open(args.mzf, "rb") as f:
        mzf = f.read()
    with open(args.wav, "rb") as f:
        wav = f.read()
    try:
        print(check(mzf, wav, args))
    except Mismatch as error:
        print(f"{args.wav}: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
