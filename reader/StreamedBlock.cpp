#include "reader/StreamedBlock.h"

#include <algorithm>

namespace kvetro {

void TStreamedBlock::Start(const TBlockPulses& Block) {
  const auto Bytes = static_cast<std::size_t>(Block.Length + ChecksumBytes);
  FRead = TBlockRead{};
  FRead.Bytes.reserve(Bytes);
  FRead.Margin.reserve(Bytes);
  FRead.ByteSeconds.reserve(Bytes);
  FRead.Pulses = Block.MarkPulses;
  FPulse = 0;
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
