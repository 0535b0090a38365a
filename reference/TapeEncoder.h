#pragma once

#include <array>
#include <cstdint>

#include "reference/EncoderPhase.h"
#include "reference/PulseTimingSource.h"
#include "tape/MzfImage.h"
#include "tape/PulseTiming.h"
#include "tape/TapeSignal.h"
#include "wave/Stream.h"

namespace kvetro {

// The encoder's whole state, one record.
struct TTapeEncoderState {
  std::int32_t Phase = 0;          // a TPhase, 0 to 15
  std::uint32_t PulseCounter = 0;  // pulses still to write in a counted phase
  std::int32_t ByteCounter = 0;    // bytes after the current one; in a checksum: 1 high, 0 low
  std::int32_t BitCounter = 0;     // 8: start pulse next; 7..0: that bit next
  std::int32_t CurrentByte = 0;    // the byte being sent
  std::int32_t BodyLength = 0;     // L, the number of body bytes
  TStream* OutputStream = nullptr;
  const TMzfImage* Image = nullptr;
  std::uint16_t Checksum = 0;  // 1 bits of the block so far, modulo 65536
  bool Running = false;
};

// Turns the bytes of an MZF image into the pulses of a cassette tape file.
// Each pulse is a run of LO samples followed by a run of HI samples; a 0 bit
// is a short pulse, a 1 bit a long one. A byte is a long start pulse and its
// eight bits from bit 7 down; each block ends with a 16-bit count of its one
// bits, high byte first.
//
// The caller prepares a run with BeginFullRun (the whole file: header and
// body) or BeginBodyRun (only what follows the header) and calls Step while
// Running() holds. Each step does the work of one part of kFastLoaderSignal and
// writes at most one pulse; a counted part takes one more step, without a
// pulse, to move on.
//
// Conversions write through TSignalRenderer, which is much faster; this step
// machine, which asks for each count at the moment it needs it, is the
// reference that the fuzz checks, the tests and the benchmarks hold the
// renderer to. It is no part of the program.
class TTapeEncoder {
 public:
  static constexpr std::uint8_t LoLevel = TSampleLevels{}.Lo;
  static constexpr std::uint8_t HiLevel = TSampleLevels{}.Hi;

  explicit TTapeEncoder(const TMzfImage& Image);

  // Where the samples go and where the counts come from; neither is owned.
  void Attach(TStream& Output, TPulseTimingSource& Timing);
  // Sample values of the two halves of a pulse (LO first).
  void SetLevels(std::uint8_t Lo, std::uint8_t Hi);

  // A negative gap counts as no gap; a body length outside 0..65535 is taken
  // as 0 or 65535.
  void BeginFullRun(std::int32_t LeadGap, std::int32_t BodyLength);
  void BeginBodyRun(std::int32_t BodyLength);
  void Step();
  bool Running() const { return FState.Running; }

  const TTapeEncoderState& State() const { return FState; }

 private:
  // Moves to the next part, loading its counters, or ends the run.
  void Leave();
  void Enter(TPhase Phase);
  void StartBlock(TBlock Block);
  void CountedPulse(const TSignalPart& Part);
  void BlockPulse(const TSignalPart& Part);
  void SendBit(int Bit, bool Counted);
  void WritePulse(PulseKind Kind);
  void WriteRun(const std::array<std::uint8_t, 256>& Run, std::int32_t Count);

  TTapeEncoderState FState;
  std::int32_t FLeadGap = 0;
  TPulseTimingSource* FTiming = nullptr;
  std::array<std::uint8_t, 256> FLoRun{};
  std::array<std::uint8_t, 256> FHiRun{};
};

}  // namespace kvetro
