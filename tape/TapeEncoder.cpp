#include "tape/TapeEncoder.h"

#include <algorithm>

namespace kvetro {

namespace {

// Pulse counts of the fixed parts of a tape file.
constexpr std::uint32_t kTapeMarkLongPulses = 40;  // first tape mark, before the header
constexpr std::uint32_t kTapeMarkShortPulses = 40;
constexpr std::uint32_t kBodyGapPulses = 1000;     // short pulses between header and body
constexpr std::uint32_t kBodyMarkLongPulses = 20;  // second tape mark, before the body
constexpr std::uint32_t kBodyMarkShortPulses = 20;

std::uint32_t GapCount(std::int32_t Gap) {
  return static_cast<std::uint32_t>(std::max(Gap, 0));
}

std::int32_t BoundedLength(std::int32_t Length) {
  return std::clamp(Length, 0, 65535);
}

}  // namespace

TTapeEncoder::TTapeEncoder(const TMzfImage& Image) {
  FState.Image = &Image;
  SetLevels(LoLevel, HiLevel);
}

void TTapeEncoder::Attach(TStream& Output, TPulseTimingSource& Timing) {
  FState.OutputStream = &Output;
  FTiming = &Timing;
}

void TTapeEncoder::SetLevels(std::uint8_t Lo, std::uint8_t Hi) {
  FLoRun.fill(Lo);
  FHiRun.fill(Hi);
}

void TTapeEncoder::BeginFullRun(std::int32_t LeadGap, std::int32_t BodyLength) {
  FState.Phase = 0;
  FState.PulseCounter = GapCount(LeadGap);
  FState.ByteCounter = 127;
  FState.BitCounter = 8;
  FState.Checksum = 0;
  FState.BodyLength = BoundedLength(BodyLength);
  FState.Running = true;
}

void TTapeEncoder::BeginBodyRun(std::int32_t BodyLength) {
  FState.Phase = 6;
  FState.BodyLength = BoundedLength(BodyLength);
  FState.Running = true;
}

// One step of the current phase:
//
//   phase  one step                          next  loaded when leaving
//     0    counted: short pulse (lead gap)     1   pulse counter = 40
//     1    counted: long pulse                 2   pulse counter = 40
//     2    counted: short pulse                3   -
//     3    one long pulse                      4   -
//     4    header byte work                    5   byte counter = 2
//     5    header checksum work                6   -
//     6    one long pulse                      7   pulse counter = 1000
//     7    counted: short pulse                8   pulse counter = body gap
//     8    counted: short pulse (body gap)     9   pulse counter = 20
//     9    counted: long pulse                10   pulse counter = 20
//    10    counted: short pulse               11   -
//    11    one long pulse                     12   byte counter = L - 1, bit counter = 8,
//                                                  checksum = 0
//    12    body byte work                     13   byte counter = 2
//    13    body checksum work                 14   -
//    14    one long pulse                     15   -
//    15    one long pulse, then the run ends   -   -
void TTapeEncoder::Step() {
  switch (FState.Phase) {
    case 0:
      CountedPulse(PulseKind::Short, 1, kTapeMarkLongPulses);
      break;
    case 1:
      CountedPulse(PulseKind::Long, 2, kTapeMarkShortPulses);
      break;
    case 2:
      CountedPulse(PulseKind::Short, 3, 0);
      break;
    case 3:
      WritePulse(PulseKind::Long);
      FState.Phase = 4;
      break;
    case 4:
      ByteWork(5, TMzfImage::HeaderSize - 1);
      break;
    case 5:
      ChecksumWork(6);
      break;
    case 6:
      WritePulse(PulseKind::Long);
      FState.Phase = 7;
      FState.PulseCounter = kBodyGapPulses;
      break;
    case 7:
      // The body gap is read once per run, in the step that ends this phase.
      if (FState.PulseCounter == 0) {
        FState.Phase = 8;
        FState.PulseCounter = GapCount(FTiming->BodyGap());
      } else {
        CountedPulse(PulseKind::Short, 8, 0);
      }
      break;
    case 8:
      CountedPulse(PulseKind::Short, 9, kBodyMarkLongPulses);
      break;
    case 9:
      CountedPulse(PulseKind::Long, 10, kBodyMarkShortPulses);
      break;
    case 10:
      CountedPulse(PulseKind::Short, 11, 0);
      break;
    case 11:
      WritePulse(PulseKind::Long);
      FState.BitCounter = 8;
      FState.Checksum = 0;
      if (FState.BodyLength > 0) {
        FState.Phase = 12;
        FState.ByteCounter = FState.BodyLength - 1;
      } else {
        // An empty body: no bytes at all, straight to its checksum (0x00 0x00),
        // high byte first, as a byte phase would leave it.
        FState.Phase = 13;
        FState.ByteCounter = 1;
      }
      break;
    case 12:
      ByteWork(13, TMzfImage::HeaderSize - 1 + FState.BodyLength);
      break;
    case 13:
      ChecksumWork(14);
      break;
    case 14:
      WritePulse(PulseKind::Long);
      FState.Phase = 15;
      break;
    case 15:
      WritePulse(PulseKind::Long);
      FState.Running = false;
      break;
    default:
      FState.Running = false;
      break;
  }
}

// A counted phase: while pulses remain, take one off and write it; the step
// that finds none left writes nothing and moves on.
void TTapeEncoder::CountedPulse(PulseKind Kind, std::int32_t NextPhase, std::uint32_t NextCounter) {
  if (FState.PulseCounter > 0) {
    --FState.PulseCounter;
    WritePulse(Kind);
  } else {
    FState.Phase = NextPhase;
    FState.PulseCounter = NextCounter;
  }
}

// One pulse of a data block. The byte counter counts down to 0 from the
// block's length less one, so fetching at LastPosition - counter sends the
// bytes in rising position order and ends with the block's last byte.
void TTapeEncoder::ByteWork(std::int32_t NextPhase, std::int32_t LastPosition) {
  if (FState.ByteCounter == 0 && FState.BitCounter == 0) {
    // Bit 0 of the block's last byte is next: it still counts, but the phase
    // ends with it.
    FState.ByteCounter = 2;
    FState.Phase = NextPhase;
    SendBit(FState.CurrentByte & 1, true);
    FState.BitCounter = 8;
    --FState.ByteCounter;
    return;
  }
  switch (FState.BitCounter) {
    case 8:
      WritePulse(PulseKind::Long);  // the start pulse, not counted
      FState.BitCounter = 7;
      FState.CurrentByte = FState.Image->ByteAt(LastPosition - FState.ByteCounter);
      break;
    case 0:
      SendBit(FState.CurrentByte & 1, true);
      FState.BitCounter = 8;
      --FState.ByteCounter;
      break;
    default:
      SendBit((FState.CurrentByte >> FState.BitCounter) & 1, true);
      --FState.BitCounter;
      break;
  }
}

// One pulse of a block's checksum: the high byte (byte counter 1), then the
// low byte (byte counter 0). Its own bits are not counted.
void TTapeEncoder::ChecksumWork(std::int32_t NextPhase) {
  if (FState.ByteCounter == 0 && FState.BitCounter == 0) {
    FState.Phase = NextPhase;
    SendBit(FState.CurrentByte & 1, false);
    FState.BitCounter = 8;
    FState.ByteCounter = 0;
    return;
  }
  switch (FState.BitCounter) {
    case 8:
      WritePulse(PulseKind::Long);
      FState.CurrentByte =
          FState.ByteCounter == 1 ? (FState.Checksum >> 8) : (FState.Checksum & 0xFF);
      FState.BitCounter = 7;
      break;
    case 0:
      SendBit(FState.CurrentByte & 1, false);
      FState.BitCounter = 8;
      FState.ByteCounter = 0;
      break;
    default:
      SendBit((FState.CurrentByte >> FState.BitCounter) & 1, false);
      --FState.BitCounter;
      break;
  }
}

void TTapeEncoder::SendBit(int Bit, bool Counted) {
  if (Bit != 0) {
    WritePulse(PulseKind::Long);
    if (Counted) {
      ++FState.Checksum;
    }
  } else {
    WritePulse(PulseKind::Short);
  }
}

// LO samples then HI samples. Each count is read just before its half is
// written; a count of 0 or less writes nothing for that half.
void TTapeEncoder::WritePulse(PulseKind Kind) {
  const bool Long = Kind == PulseKind::Long;
  WriteRun(FLoRun, FTiming->Count(Long ? TimingBox::Log1Lo : TimingBox::Log0Lo));
  WriteRun(FHiRun, FTiming->Count(Long ? TimingBox::Log1Hi : TimingBox::Log0Hi));
}

void TTapeEncoder::WriteRun(const std::array<std::uint8_t, 256>& Run, std::int32_t Count) {
  while (Count > 0) {
    const std::int32_t Chunk = std::min<std::int32_t>(Count, static_cast<std::int32_t>(Run.size()));
    FState.OutputStream->WriteBuffer(Run.data(), Chunk);
    Count -= Chunk;
  }
}

}  // namespace kvetro
