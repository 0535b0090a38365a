#include "reference/TapeEncoder.h"

#include <algorithm>

namespace kvetro {

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
  FLeadGap = LeadGap;
  FState.BodyLength = BoundedBodyLength(BodyLength);
  StartBlock(TBlock::Header);
  Enter(TPhase::LeadGap);
  FState.Running = true;
}

void TTapeEncoder::BeginBodyRun(std::int32_t BodyLength) {
  FState.BodyLength = BoundedBodyLength(BodyLength);
  Enter(TPhase::BodyLead);
  FState.Running = true;
}

void TTapeEncoder::Step() {
  const TSignalPart& Part = PartOf(static_cast<TPhase>(FState.Phase));
  switch (Part.Kind) {
    case TPartKind::Counted:
      CountedPulse(Part);
      break;
    case TPartKind::OnePulse:
      WritePulse(Part.Pulse);
      Leave();
      break;
    case TPartKind::Bytes:
    case TPartKind::Checksum:
      BlockPulse(Part);
      break;
  }
}

void TTapeEncoder::Leave() {
  if (FState.Phase == static_cast<std::int32_t>(TPhase::LastPulse)) {
    FState.Running = false;
    return;
  }
  Enter(static_cast<TPhase>(FState.Phase + 1));
}

void TTapeEncoder::Enter(TPhase Phase) {
  FState.Phase = static_cast<std::int32_t>(Phase);
  const TSignalPart& Part = PartOf(Phase);
  if (Part.Kind == TPartKind::Counted) {
    // The body gap is read once per run, in the step that begins its part.
    const bool FromBodyGap = Part.CountFrom == TCountFrom::BodyGap;
    FState.PulseCounter = CountedPulses(Part, FromBodyGap ? FTiming->BodyGap() : FLeadGap);
  } else if (Part.Kind == TPartKind::Bytes) {
    StartBlock(Part.Block);
  }
}

// The byte counter counts down to 0 from the block's length less one.
void TTapeEncoder::StartBlock(TBlock Block) {
  const std::int32_t Length = BlockLength(Block, FState.BodyLength);
  FState.BitCounter = 8;
  FState.Checksum = 0;
  if (Length > 0) {
    FState.ByteCounter = Length - 1;
  } else {
    // An empty body: no bytes at all, straight to its checksum (0x00 0x00),
    // high byte first, as the end of a byte part would leave it.
    ++FState.Phase;
    FState.ByteCounter = 1;
  }
}

// While pulses remain, take one off and write it; the step that finds none
// left writes nothing and moves on. The counter is unsigned: a part ends only
// when it is exactly 0.
void TTapeEncoder::CountedPulse(const TSignalPart& Part) {
  if (FState.PulseCounter > 0) {
    --FState.PulseCounter;
    WritePulse(Part.Pulse);
  } else {
    Leave();
  }
}

// One pulse of a block's bytes or of its checksum. Data bytes are fetched at
// the block's last position less the byte counter, so they go out in rising
// position order; the checksum sends its high byte at byte counter 1, its low
// byte at 0, and its own bits are not counted.
void TTapeEncoder::BlockPulse(const TSignalPart& Part) {
  const bool Data = Part.Kind == TPartKind::Bytes;
  if (FState.ByteCounter == 0 && FState.BitCounter == 0) {
    // Bit 0 of the last byte is next: the part moves on before it goes out.
    // Leaving the data, the byte counter is set to 2, so that this bit takes
    // it to 1, the checksum's high byte.
    if (Data) {
      FState.ByteCounter = 2;
    }
    Leave();
  }
  switch (FState.BitCounter) {
    case 8:
      WritePulse(PulseKind::Long);  // the start pulse, not counted
      FState.BitCounter = 7;
      if (Data) {
        const std::int64_t Last =
            BlockStart(Part.Block) + BlockLength(Part.Block, FState.BodyLength) - 1;
        FState.CurrentByte = FState.Image->ByteAt(Last - FState.ByteCounter);
      } else {
        FState.CurrentByte =
            FState.ByteCounter == 1 ? (FState.Checksum >> 8) : (FState.Checksum & 0xFF);
      }
      break;
    case 0:
      SendBit(FState.CurrentByte & 1, Data);
      FState.BitCounter = 8;
      if (FState.ByteCounter > 0) {
        --FState.ByteCounter;
      }
      break;
    default:
      SendBit((FState.CurrentByte >> FState.BitCounter) & 1, Data);
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
