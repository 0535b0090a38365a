#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <span>

#include "tape/MzfImage.h"
#include "tape/PulseTiming.h"

namespace kvetro {

enum class TPartKind {
  Counted,   // a run of equal pulses, counted down one pulse per step
  OnePulse,  // a single pulse
  Bytes,     // a block of bytes, each a long start pulse and bits 7 down to 0
  Checksum,  // the block's count of one bits: high byte, then low byte
};

// Where a counted part takes its number of pulses from.
enum class TCountFrom { Fixed, LeadGap, BodyGap };

enum class TBlock { Header, Body };

struct TSignalPart {
  TPartKind Kind;
  PulseKind Pulse = PulseKind::Long;         // Counted and OnePulse
  TCountFrom CountFrom = TCountFrom::Fixed;  // Counted
  std::uint32_t Pulses = 0;                  // Counted with a fixed count
  TBlock Block = TBlock::Header;             // Bytes and Checksum
};

// Tape marks: long pulses, then as many short ones. The monitor finds a
// block by its mark; the header's is twice as long as the body's.
inline constexpr std::uint32_t HeaderMarkPulses = 40;
inline constexpr std::uint32_t BodyMarkPulses = 20;
// The machine's own SAVE: the long gap before the header, the short gap
// before the body, and the short pulses between a block and its copy.
inline constexpr std::uint32_t LongGapPulses = 22000;
inline constexpr std::uint32_t ShortGapPulses = 11000;
inline constexpr std::uint32_t CopyGapPulses = 256;
// The fast loader's fixed lead-in before each body, ahead of the body gap.
inline constexpr std::uint32_t BodyLeadInPulses = 1000;

namespace signal_parts {
constexpr TSignalPart Counted(PulseKind Pulse, std::uint32_t Pulses) {
  return {TPartKind::Counted, Pulse, TCountFrom::Fixed, Pulses};
}
constexpr TSignalPart Gap(TCountFrom CountFrom) {
  return {TPartKind::Counted, PulseKind::Short, CountFrom};
}
constexpr TSignalPart LongPulse() {
  return {TPartKind::OnePulse, PulseKind::Long};
}
constexpr TSignalPart Bytes(TBlock Block) {
  return {TPartKind::Bytes, PulseKind::Long, TCountFrom::Fixed, 0, Block};
}
constexpr TSignalPart Checksum(TBlock Block) {
  return {TPartKind::Checksum, PulseKind::Long, TCountFrom::Fixed, 0, Block};
}

// A block as the machine's SAVE writes it: gap, tape mark, one long pulse,
// the bytes, their checksum and one long pulse.
constexpr std::array<TSignalPart, 7> BlockAfter(TSignalPart Gap, TBlock Block,
                                                std::uint32_t MarkPulses) {
  return {Gap,
          Counted(PulseKind::Long, MarkPulses),
          Counted(PulseKind::Short, MarkPulses),
          LongPulse(),
          Bytes(Block),
          Checksum(Block),
          LongPulse()};
}
constexpr std::array<TSignalPart, 7> SavedBlock(TBlock Block, std::uint32_t GapPulses,
                                                std::uint32_t MarkPulses) {
  return BlockAfter(Counted(PulseKind::Short, GapPulses), Block, MarkPulses);
}
// The copy that SAVE writes after each block; the monitor reads it only when
// the first block's checksum fails.
constexpr std::array<TSignalPart, 4> CopyOf(TBlock Block) {
  return {Counted(PulseKind::Short, CopyGapPulses), Bytes(Block), Checksum(Block), LongPulse()};
}

template <std::size_t... Sizes>
constexpr auto Joined(const std::array<TSignalPart, Sizes>&... Pieces) {
  std::array<TSignalPart, (Sizes + ...)> Parts{};
  std::size_t Next = 0;
  ((std::copy(Pieces.begin(), Pieces.end(), Parts.begin() + Next), Next += Pieces.size()), ...);
  return Parts;
}
}  // namespace signal_parts

// The fast loader's tape file, in the order it goes out: the loader file at
// the standard timing in full, and from the body's lead-in on also the
// user's body at the user's timing. Its blocks are the machine's own, with
// gaps of the user's length and a fixed lead-in and a second long pulse
// around the body.
inline constexpr auto kFastLoaderSignal = signal_parts::Joined(
    signal_parts::BlockAfter(signal_parts::Gap(TCountFrom::LeadGap), TBlock::Header,
                             HeaderMarkPulses),
    std::array{signal_parts::Counted(PulseKind::Short, BodyLeadInPulses)},
    signal_parts::BlockAfter(signal_parts::Gap(TCountFrom::BodyGap), TBlock::Body, BodyMarkPulses),
    std::array{signal_parts::LongPulse()});

// The machine's own tape file, as its monitor's SAVE writes it and every
// monitor of the family reads it: header block and body block, each followed
// by its copy.
inline constexpr auto kStandardSignal =
    signal_parts::Joined(signal_parts::SavedBlock(TBlock::Header, LongGapPulses, HeaderMarkPulses),
                         signal_parts::CopyOf(TBlock::Header),
                         signal_parts::SavedBlock(TBlock::Body, ShortGapPulses, BodyMarkPulses),
                         signal_parts::CopyOf(TBlock::Body));
// The same without the copies: shorter, and it loads as well where the
// player is good.
inline constexpr auto kStandardSignalNoCopies =
    signal_parts::Joined(signal_parts::SavedBlock(TBlock::Header, LongGapPulses, HeaderMarkPulses),
                         signal_parts::SavedBlock(TBlock::Body, ShortGapPulses, BodyMarkPulses));

// One tape file's parts, in the order they go out: what the renderer writes,
// the totals count and the reader looks for.
struct TTapeLayout {
  std::span<const TSignalPart> Parts;
};

// The loader file of a fast-loader conversion, and the body-only file that
// follows it.
inline constexpr TTapeLayout kFastLoaderFile{kFastLoaderSignal};
// The body-only file starts behind the header block's gap, mark, bytes and
// checksum, with the long pulse that ends that block.
inline constexpr std::size_t FastBodyStart =
    signal_parts::SavedBlock(TBlock::Header, 0, 0).size() - 1;
inline constexpr TTapeLayout kFastBodyFile{std::span(kFastLoaderSignal).subspan(FastBodyStart)};
inline constexpr TTapeLayout kStandardFile{kStandardSignal};
inline constexpr TTapeLayout kStandardFileNoCopies{kStandardSignalNoCopies};

// The two sample values, 80 below and 80 above the 8-bit middle 0x80. A
// pulse is a run of Lo samples, then a run of Hi samples; some players need
// them swapped.
struct TSampleLevels {
  std::uint8_t Lo = 0x30;
  std::uint8_t Hi = 0xD0;

  constexpr TSampleLevels Swapped() const { return {Hi, Lo}; }
  bool operator==(const TSampleLevels&) const = default;
};

// The values a run is made with besides the image and the timing. A negative
// gap is no gap; the body length is taken within 0 to 65535, and body
// positions past the image read as 0x00.
struct TRunValues {
  std::int32_t LeadGap = 0;
  std::int32_t BodyGap = 0;
  std::int32_t BodyLength = 0;
};

constexpr std::uint32_t GapPulses(std::int32_t Gap) {
  return static_cast<std::uint32_t>(std::max(Gap, 0));
}
constexpr std::int32_t BoundedBodyLength(std::int32_t Length) {
  return std::clamp(Length, 0, 65535);
}

// The pulses of a counted part, given the gap it would take them from.
constexpr std::uint32_t CountedPulses(const TSignalPart& Part, std::int32_t Gap) {
  return Part.CountFrom == TCountFrom::Fixed ? Part.Pulses : GapPulses(Gap);
}

// Image positions of a block: the header at 0, the body right behind it.
constexpr std::int64_t BlockStart(TBlock Block) {
  return Block == TBlock::Header ? 0 : TMzfImage::HeaderSize;
}
constexpr std::int32_t BlockLength(TBlock Block, std::int32_t BodyLength) {
  return Block == TBlock::Header ? TMzfImage::HeaderSize : BoundedBodyLength(BodyLength);
}

// The number of 1 bits of each byte value, what a block's checksum counts.
inline constexpr std::array<std::uint8_t, 256> kOneBits = [] {
  std::array<std::uint8_t, 256> Ones{};
  for (unsigned Value = 0; Value < 256; ++Value) {
    Ones[Value] = static_cast<std::uint8_t>(std::popcount(Value));
  }
  return Ones;
}();

// Walks a tape file of the given layout, telling the sink what goes out:
// Sink.Pulses(kind, count) for runs of equal pulses and Sink.Byte(value) for
// each framed byte, data and checksum alike.
template <class TSink>
void WalkSignal(const TMzfImage& Image, const TTapeLayout& Layout, const TRunValues& Values,
                TSink& Sink) {
  std::uint16_t Checksum = 0;
  for (const TSignalPart& Part : Layout.Parts) {
    switch (Part.Kind) {
      case TPartKind::Counted:
        Sink.Pulses(Part.Pulse,
                    CountedPulses(Part, Part.CountFrom == TCountFrom::LeadGap ? Values.LeadGap
                                                                              : Values.BodyGap));
        break;
      case TPartKind::OnePulse:
        Sink.Pulses(Part.Pulse, 1);
        break;
      case TPartKind::Bytes: {
        Checksum = 0;
        const std::int64_t Start = BlockStart(Part.Block);
        const std::int64_t End = Start + BlockLength(Part.Block, Values.BodyLength);
        for (std::int64_t Position = Start; Position < End; ++Position) {
          const std::uint8_t Byte = Image.ByteAt(Position);
          Checksum = static_cast<std::uint16_t>(Checksum + kOneBits[Byte]);
          Sink.Byte(Byte);
        }
        break;
      }
      case TPartKind::Checksum:
        Sink.Byte(static_cast<std::uint8_t>(Checksum >> 8));
        Sink.Byte(static_cast<std::uint8_t>(Checksum & 0xFF));
        break;
    }
  }
}

}  // namespace kvetro
