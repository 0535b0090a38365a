#include "tape/SignalRenderer.h"

#include <algorithm>
#include <cstring>

#include "wave/FileStream.h"

namespace kvetro {

namespace {

// A block as large as the file stream's buffer goes past that buffer
// straight to the file, so its samples are copied once on their way. Blocks
// end where the file's whole blocks end: a write that starts inside a page
// costs the kernel noticeably more than one that starts on a page.
constexpr std::size_t kBlockSize = TFileStream::BufferCapacity;
// Pulses up to this length (every timing the window allows: 128 + 128) are
// copied from prepared samples, and the byte table stays near 1 MiB. Longer
// ones are written half by half.
constexpr std::uint64_t kLongestPreparedPulse = 512;
// Runs of equal pulses are copied from this many samples of them at a time.
constexpr std::size_t kPreparedRunSamples = 8 * 1024;

}  // namespace

// Gathers what a walk of the signal sends into the block and hands the
// block to the output whenever it is full.
class TSignalRenderer::TBlockSink {
 public:
  TBlockSink(TSignalRenderer& Renderer, TStream& Output)
      : R(Renderer), FOutput(Output), FEnd(BlockEnd()) {}

  void Pulses(PulseKind Kind, std::uint64_t Count) {
    if (!R.FPrepared) {
      for (; Count > 0; --Count) {
        WriteHalves(Kind);
      }
      return;
    }
    const TPreparedRun& Run = Kind == PulseKind::Long ? R.FLongRun : R.FShortRun;
    if (Run.PulseSize == 0) {
      return;
    }
    for (; Count >= Run.Pulses; Count -= Run.Pulses) {
      Append(Run.Samples.data(), Run.Samples.size());
    }
    Append(Run.Samples.data(), static_cast<std::size_t>(Count) * Run.PulseSize);
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
    Append(R.FByteSamples.data() + First, R.FByteStart[Value + 1u] - First);
  }

  void Flush() {
    FOutput.WriteBuffer(R.FBlock.data(), static_cast<std::int32_t>(FUsed));
    R.FOutputOffset += FUsed;
    FUsed = 0;
    FEnd = BlockEnd();
  }

 private:
  std::size_t BlockEnd() const {
    return kBlockSize - static_cast<std::size_t>(R.FOutputOffset % kBlockSize);
  }

  void Append(const std::uint8_t* Samples, std::size_t Count) {
    while (Count > 0) {
      const std::size_t Piece = std::min(Count, FEnd - FUsed);
      std::memcpy(R.FBlock.data() + FUsed, Samples, Piece);
      FUsed += Piece;
      Samples += Piece;
      Count -= Piece;
      if (FUsed == FEnd) {
        Flush();
      }
    }
  }

  void Fill(std::uint8_t Level, std::uint64_t Count) {
    while (Count > 0) {
      const auto Piece = static_cast<std::size_t>(std::min<std::uint64_t>(Count, FEnd - FUsed));
      std::memset(R.FBlock.data() + FUsed, Level, Piece);
      FUsed += Piece;
      Count -= Piece;
      if (FUsed == FEnd) {
        Flush();
      }
    }
  }

  void WriteHalves(PulseKind Kind) {
    const bool Long = Kind == PulseKind::Long;
    Fill(R.FLevels.Lo, HalfSamples(Long ? R.FTiming.Log1Lo : R.FTiming.Log0Lo));
    Fill(R.FLevels.Hi, HalfSamples(Long ? R.FTiming.Log1Hi : R.FTiming.Log0Hi));
  }

  TSignalRenderer& R;
  TStream& FOutput;
  std::size_t FUsed = 0;
  std::size_t FEnd;  // where the current block ends
};

TSignalRenderer::TSignalRenderer(TSampleLevels Levels, std::uint64_t OutputOffset)
    : FLevels(Levels), FOutputOffset(OutputOffset), FBlock(kBlockSize) {}

void TSignalRenderer::Run(TStream& Output, const TMzfImage& Image, const TTapeLayout& Layout,
                          const PulseTiming& Timing, const TRunValues& Values) {
  Prepare(Timing);
  TBlockSink Sink(*this, Output);
  WalkSignal(Image, Layout, Values, Sink);
  Sink.Flush();
}

// The samples of runs of each pulse, and of each byte value: a long start
// pulse, then bits 7 down to 0.
void TSignalRenderer::Prepare(const PulseTiming& Timing) {
  FTiming = Timing;
  FPrepared = Timing.PulseSamples(PulseKind::Short) <= kLongestPreparedPulse &&
              Timing.PulseSamples(PulseKind::Long) <= kLongestPreparedPulse;
  if (!FPrepared) {
    return;
  }
  const auto PrepareRun = [this](TPreparedRun& Run, std::int32_t Lo, std::int32_t Hi) {
    Run.Samples.assign(HalfSamples(Lo), FLevels.Lo);
    Run.Samples.insert(Run.Samples.end(), HalfSamples(Hi), FLevels.Hi);
    Run.PulseSize = Run.Samples.size();
    Run.Pulses = 1;
    // Doubled until the next doubling would pass the prepared length.
    while (Run.PulseSize > 0 && 2 * Run.Samples.size() <= kPreparedRunSamples) {
      const std::size_t Size = Run.Samples.size();
      Run.Samples.resize(2 * Size);
      std::copy_n(Run.Samples.begin(), Size,
                  Run.Samples.begin() + static_cast<std::ptrdiff_t>(Size));
      Run.Pulses *= 2;
    }
  };
  PrepareRun(FShortRun, Timing.Log0Lo, Timing.Log0Hi);
  PrepareRun(FLongRun, Timing.Log1Lo, Timing.Log1Hi);
  const auto AddPulse = [this](const TPreparedRun& Run) {
    FByteSamples.insert(FByteSamples.end(), Run.Samples.begin(),
                        Run.Samples.begin() + static_cast<std::ptrdiff_t>(Run.PulseSize));
  };
  FByteSamples.clear();
  for (unsigned Value = 0; Value < 256; ++Value) {
    FByteStart[Value] = static_cast<std::uint32_t>(FByteSamples.size());
    AddPulse(FLongRun);
    for (int Bit = 7; Bit >= 0; --Bit) {
      AddPulse((Value >> Bit) & 1 ? FLongRun : FShortRun);
    }
  }
  FByteStart[256] = static_cast<std::uint32_t>(FByteSamples.size());
}

}  // namespace kvetro
