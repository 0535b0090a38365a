#include "reader/StreamedBlock.h"

#include <algorithm>

namespace kvetro {

namespace {}  // namespace

void TStreamedBlock::Start(const TBlockPulses& Block) {
  const auto Bytes = static_cast<std::size_t>(Block.Length + ChecksumBytes);
  FRead = TBlockRead{};
  FRead.Bytes.reserve(Bytes);
  FRead.Margin.reserve(Bytes);
  FRead.ByteSeconds.reserve(Bytes);
  FRead.Pulses = Block.MarkPulses;
  FPulse = 0;
}

void TStreamedBlock::Add(const TPulseRecord& Pulse, double LowUs, double Seconds) {
  const bool Long = (Pulse.Flags & TPulseRecord::Long) != 0;
  if (FPulse == 0) {
    FRead.ByteSeconds.push_back(Seconds);
    FValue = 0;
    FLeast = Pulse.Margin;
  } else {
    FValue = FValue << 1 | (Long ? 1U : 0U);
    FLeast = std::min(FLeast, Pulse.Margin);
  }
  FRead.Pulses.Add(Pulse.HighUs, LowUs, Long);
  FRead.NearPulses += Pulse.Margin < TBlockRead::NearMargin ? 1 : 0;
  if (++FPulse == PulsesPerByte) {
    FRead.Bytes.push_back(static_cast<std::uint8_t>(FValue));
    FRead.Margin.push_back(FLeast);
    FPulse = 0;
  }
}

TBlockRead TStreamedBlock::Result(const TBlockPulses& Block) {
  FRead.Kind = Block.Kind;
  FRead.Copy = Block.Copy;
  FRead.Orphan = Block.Orphan;
  FRead.StartSeconds = Block.StartSeconds;
  FRead.Rate = Block.Rate;
  FRead.Length = Block.Length;
  FRead.ReadPointUs = Block.ReadPoint.Us();
  FRead.Sure.reserve(FRead.Margin.size());
  for (const std::uint8_t Margin : FRead.Margin) {
    FRead.Sure.push_back(Margin >= TBlockRead::ClearMargin ? TBlockRead::TSure::Clear
                                                           : TBlockRead::TSure::Near);
  }
  return std::move(FRead);
}

}  // namespace kvetro
