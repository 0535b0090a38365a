#include "tape/SignalRenderer.h"

#include <algorithm>
#include <cstring>

#include "wave/FileStream.h"

namespace kvetro {

namespace {

// A block as large as the file stream's buffer goes past that buffer
// straight to the file, so the samples are copied once on their way.
constexpr std::size_t kBlockSize = TFileStream::BufferCapacity;
// Pulses up to this length (every timing the window allows: 128 + 128) are
// copied from prepared samples, and the byte table stays near 1 MiB. Longer
// ones are written half by half.
constexpr std::uint64_t kLongestPreparedPulse = 512;

std::uint64_t HalfLength(std::int32_t Count) {
  return static_cast<std::uint64_t>(std::max(Count, 0));
}

}  // namespace

// Gathers what a walk of the signal sends into the block and hands the
// block to the output whenever it is full.
class TSignalRenderer::TBlockSink {
 public:
  TBlockSink(TSignalRenderer& Renderer, TStream& Output) : R(Renderer), FOutput(Output) {}

  void Pulses(PulseKind Kind, std::uint64_t Count) {
    if (!R.FPrepared) {
      for (; Count > 0; --Count) {
        WriteHalves(Kind);
      }
      return;
    }
    const std::vector<std::uint8_t>& Pulse = Kind == PulseKind::Long ? R.FLongPulse : R.FShortPulse;
    const std::size_t Size = Pulse.size();
    if (Size == 0) {
      return;
    }
    while (Count > 0) {
      if (kBlockSize - FUsed < Size) {
        Flush();
      }
      // One pulse, then the pulses written so far copied behind themselves
      // until the run or the room is used up.
      const std::uint64_t Fit = std::min<std::uint64_t>(Count, (kBlockSize - FUsed) / Size);
      std::uint8_t* Start = R.FBlock.data() + FUsed;
      std::memcpy(Start, Pulse.data(), Size);
      std::size_t Done = Size;
      const std::size_t Total = static_cast<std::size_t>(Fit) * Size;
      while (Done < Total) {
        const std::size_t Piece = std::min(Done, Total - Done);
        std::memcpy(Start + Done, Start, Piece);
        Done += Piece;
      }
      FUsed += Total;
      Count -= Fit;
    }
  }

  // A framed byte: its nine pulses from the table, or one by one.
  void Byte(std::uint8_t Value) {
    if (!R.FPrepared) {
      Pulses(PulseKind::Long, 1);
      for (int Bit = 7; Bit >= 0; --Bit) {
        Pulses((Value >> Bit) & 1 ? PulseKind::Long : PulseKind::Short, 1);
      }
      return;
    }
    const std::uint32_t First = R.FByteStart[Value];
    const std::size_t Size = R.FByteStart[Value + 1u] - First;
    if (kBlockSize - FUsed < Size) {
      Flush();
    }
    std::memcpy(R.FBlock.data() + FUsed, R.FByteSamples.data() + First, Size);
    FUsed += Size;
  }

  void Flush() {
    FOutput.WriteBuffer(R.FBlock.data(), static_cast<std::int32_t>(FUsed));
    FUsed = 0;
  }

 private:
  void WriteHalves(PulseKind Kind) {
    const bool Long = Kind == PulseKind::Long;
    Fill(R.FLevels.Lo, HalfLength(Long ? R.FTiming.Log1Lo : R.FTiming.Log0Lo));
    Fill(R.FLevels.Hi, HalfLength(Long ? R.FTiming.Log1Hi : R.FTiming.Log0Hi));
  }

  void Fill(std::uint8_t Level, std::uint64_t Count) {
    while (Count > 0) {
      if (FUsed == kBlockSize) {
        Flush();
      }
      const std::size_t Piece =
          static_cast<std::size_t>(std::min<std::uint64_t>(Count, kBlockSize - FUsed));
      std::memset(R.FBlock.data() + FUsed, Level, Piece);
      FUsed += Piece;
      Count -= Piece;
    }
  }

  TSignalRenderer& R;
  TStream& FOutput;
  std::size_t FUsed = 0;
};

TSignalRenderer::TSignalRenderer(TSampleLevels Levels) : FLevels(Levels), FBlock(kBlockSize) {}

void TSignalRenderer::FullRun(TStream& Output, const TMzfImage& Image, const PulseTiming& Timing,
                              const TRunValues& Values) {
  Render(Output, Image, TPhase::LeadGap, Timing, Values);
}

void TSignalRenderer::BodyRun(TStream& Output, const TMzfImage& Image, const PulseTiming& Timing,
                              const TRunValues& Values) {
  Render(Output, Image, TPhase::BodyLead, Timing, Values);
}

void TSignalRenderer::Render(TStream& Output, const TMzfImage& Image, TPhase From,
                             const PulseTiming& Timing, const TRunValues& Values) {
  Prepare(Timing);
  TBlockSink Sink(*this, Output);
  WalkSignal(Image, From, Values, Sink);
  Sink.Flush();
}

// The samples of the two pulses, and of each byte value: a long start
// pulse, then bits 7 down to 0.
void TSignalRenderer::Prepare(const PulseTiming& Timing) {
  FTiming = Timing;
  const auto PulseSamples = [this](std::int32_t Lo, std::int32_t Hi) {
    std::vector<std::uint8_t> Samples(HalfLength(Lo), FLevels.Lo);
    Samples.insert(Samples.end(), HalfLength(Hi), FLevels.Hi);
    return Samples;
  };
  FPrepared = HalfLength(Timing.Log0Lo) + HalfLength(Timing.Log0Hi) <= kLongestPreparedPulse &&
              HalfLength(Timing.Log1Lo) + HalfLength(Timing.Log1Hi) <= kLongestPreparedPulse;
  if (!FPrepared) {
    return;
  }
  FShortPulse = PulseSamples(Timing.Log0Lo, Timing.Log0Hi);
  FLongPulse = PulseSamples(Timing.Log1Lo, Timing.Log1Hi);
  FByteSamples.clear();
  for (unsigned Value = 0; Value < 256; ++Value) {
    FByteStart[Value] = static_cast<std::uint32_t>(FByteSamples.size());
    FByteSamples.insert(FByteSamples.end(), FLongPulse.begin(), FLongPulse.end());
    for (int Bit = 7; Bit >= 0; --Bit) {
      const std::vector<std::uint8_t>& Pulse = (Value >> Bit) & 1 ? FLongPulse : FShortPulse;
      FByteSamples.insert(FByteSamples.end(), Pulse.begin(), Pulse.end());
    }
  }
  FByteStart[256] = static_cast<std::uint32_t>(FByteSamples.size());
}

}  // namespace kvetro
