#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tape/MzfImage.h"
#include "tape/PulseTiming.h"
#include "tape/TapeSignal.h"
#include "wave/Stream.h"
#include "wave/UninitializedBytes.h"

namespace kvetro {

// Writes a whole run at once: the same samples, in the same order, as the
// encoder's steps at a fixed timing, but gathered into large blocks. A run
// of equal pulses is copied as one piece, and each byte value's nine pulses
// are taken from a table built at the start of the run. The timing is a
// value: it holds for the whole run.
class TSignalRenderer {
 public:
  // OutputOffset: where in the output file the first sample goes (behind
  // the WAV header), so that blocks end where the file's blocks end.
  explicit TSignalRenderer(TSampleLevels Levels = {}, std::uint64_t OutputOffset = 0);

  // One tape file of the given layout over Image. Raises what Output's
  // WriteBuffer raises; the samples of the blocks written before then stay
  // written.
  void Run(TStream& Output, const TMzfImage& Image, const TTapeLayout& Layout,
           const PulseTiming& Timing, const TRunValues& Values);

 private:
  class TBlockSink;
  // Samples of Pulses equal pulses of PulseSize samples each, one after the
  // other.
  struct TPreparedRun {
    std::vector<std::uint8_t> Samples;
    std::size_t PulseSize = 0;
    std::size_t Pulses = 1;
  };

  void Prepare(const PulseTiming& Timing);

  TSampleLevels FLevels;
  PulseTiming FTiming;
  std::uint64_t FOutputOffset;
  bool FPrepared = false;  // the runs and the byte table below hold this timing
  TPreparedRun FShortRun;
  TPreparedRun FLongRun;
  // The nine pulses of each byte value, one value after the other; value V
  // is at FByteStart[V] up to FByteStart[V + 1].
  std::vector<std::uint8_t> FByteSamples;
  std::array<std::uint32_t, 257> FByteStart{};
  TUninitializedBytes FBlock;  // one block of samples on its way out
};

}  // namespace kvetro
