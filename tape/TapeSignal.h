#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "tape/MzfImage.h"
#include "tape/PulseTiming.h"

namespace kvetro {

// The parts of a tape file in the order they go out. The numbers are the
// encoder's phase numbers: a full run starts at LeadGap, a body run (no
// header) at BodyLead.
enum class TPhase : std::int32_t {
  LeadGap = 0,          // short pulses, as many as the loader gap
  HeaderMarkLong = 1,   // the tape mark before the header: 40 long,
  HeaderMarkShort = 2,  // then 40 short
  HeaderLead = 3,       // one long pulse
  HeaderBytes = 4,      // the 128 header bytes
  HeaderChecksum = 5,
  BodyLead = 6,        // one long pulse
  BodyLeadGap = 7,     // 1000 short pulses
  BodyGap = 8,         // short pulses, as many as the body gap
  BodyMarkLong = 9,    // the tape mark before the body: 20 long,
  BodyMarkShort = 10,  // then 20 short
  BodyMarkEnd = 11,    // one long pulse
  BodyBytes = 12,      // the L body bytes
  BodyChecksum = 13,
  EndPulse = 14,   // one long pulse
  LastPulse = 15,  // one long pulse; the run ends with it
};

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
  TPhase Phase;
  TPartKind Kind;
  PulseKind Pulse = PulseKind::Long;         // Counted and OnePulse
  TCountFrom CountFrom = TCountFrom::Fixed;  // Counted
  std::uint32_t Pulses = 0;                  // Counted with a fixed count
  TBlock Block = TBlock::Header;             // Bytes and Checksum
};

namespace signal_parts {
constexpr TSignalPart Counted(TPhase Phase, PulseKind Pulse, std::uint32_t Pulses) {
  return {Phase, TPartKind::Counted, Pulse, TCountFrom::Fixed, Pulses};
}
constexpr TSignalPart Gap(TPhase Phase, TCountFrom CountFrom) {
  return {Phase, TPartKind::Counted, PulseKind::Short, CountFrom};
}
constexpr TSignalPart LongPulse(TPhase Phase) {
  return {Phase, TPartKind::OnePulse, PulseKind::Long};
}
constexpr TSignalPart Bytes(TPhase Phase, TBlock Block) {
  return {Phase, TPartKind::Bytes, PulseKind::Long, TCountFrom::Fixed, 0, Block};
}
constexpr TSignalPart Checksum(TPhase Phase, TBlock Block) {
  return {Phase, TPartKind::Checksum, PulseKind::Long, TCountFrom::Fixed, 0, Block};
}
}  // namespace signal_parts

// What a run sends, in order: the one description of the tape file that the
// encoder steps through, the totals count and the renderer writes.
inline constexpr std::array<TSignalPart, 16> kTapeSignal = [] {
  using namespace signal_parts;
  return std::array<TSignalPart, 16>{
      Gap(TPhase::LeadGap, TCountFrom::LeadGap),
      Counted(TPhase::HeaderMarkLong, PulseKind::Long, 40),
      Counted(TPhase::HeaderMarkShort, PulseKind::Short, 40),
      LongPulse(TPhase::HeaderLead),
      Bytes(TPhase::HeaderBytes, TBlock::Header),
      Checksum(TPhase::HeaderChecksum, TBlock::Header),
      LongPulse(TPhase::BodyLead),
      Counted(TPhase::BodyLeadGap, PulseKind::Short, 1000),
      Gap(TPhase::BodyGap, TCountFrom::BodyGap),
      Counted(TPhase::BodyMarkLong, PulseKind::Long, 20),
      Counted(TPhase::BodyMarkShort, PulseKind::Short, 20),
      LongPulse(TPhase::BodyMarkEnd),
      Bytes(TPhase::BodyBytes, TBlock::Body),
      Checksum(TPhase::BodyChecksum, TBlock::Body),
      LongPulse(TPhase::EndPulse),
      LongPulse(TPhase::LastPulse),
  };
}();

static_assert([] {
  for (std::size_t I = 0; I < kTapeSignal.size(); ++I) {
    if (static_cast<std::size_t>(kTapeSignal[I].Phase) != I) {
      return false;
    }
  }
  return kTapeSignal.back().Phase == TPhase::LastPulse;
}());

constexpr const TSignalPart& PartOf(TPhase Phase) {
  return kTapeSignal[static_cast<std::size_t>(Phase)];
}

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

// The encoder takes one step without a pulse at the end of each counted
// part, so a run takes this many steps more than it writes pulses.
constexpr std::uint64_t StepsBeyondPulses(TPhase From) {
  std::uint64_t Steps = 0;
  for (std::size_t I = static_cast<std::size_t>(From); I < kTapeSignal.size(); ++I) {
    Steps += kTapeSignal[I].Kind == TPartKind::Counted ? 1 : 0;
  }
  return Steps;
}

// The number of 1 bits of each byte value, what a block's checksum counts.
inline constexpr std::array<std::uint8_t, 256> kOneBits = [] {
  std::array<std::uint8_t, 256> Ones{};
  for (unsigned Value = 0; Value < 256; ++Value) {
    Ones[Value] = static_cast<std::uint8_t>(std::popcount(Value));
  }
  return Ones;
}();

// Walks a run from the given phase, telling the sink what goes out:
// Sink.Pulses(kind, count) for runs of equal pulses and Sink.Byte(value) for
// each framed byte, data and checksum alike.
template <class TSink>
void WalkSignal(const TMzfImage& Image, TPhase From, const TRunValues& Values, TSink& Sink) {
  std::uint16_t Checksum = 0;
  for (std::size_t I = static_cast<std::size_t>(From); I < kTapeSignal.size(); ++I) {
    const TSignalPart& Part = kTapeSignal[I];
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
