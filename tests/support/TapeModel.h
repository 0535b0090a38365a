#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/ReferenceSignal.h"
#include "tests/support/ScratchFolder.h"

namespace kvetro::test {

// A cassette as a tape recorder plays it into a sound card, with the truth
// about every pulse kept: the machine's own saves with the pulse lengths
// that real saves show, or Kvetro's WAVs, played with soft edges, hiss, a
// wandering tape speed, dropouts and level changes. The same seed gives the
// same recording byte for byte on every platform. Each block's truth says
// where its bytes lie and which fixed read points would read it right.

// How often each length of one half of a pulse occurs: Weights[I] is the
// share of halves First + I samples long at ReferenceRate.
struct TLengthShares {
  int First = 0;
  std::vector<double> Weights;
};

// The share of pulses of each length, in samples at 22050 Hz, that real
// saves of the machine show (a short pulse for 0, a long one for 1, HIGH
// after the rising edge, then LOW):
//            3     4     5     6     7     8     9     10    11    12
// short HIGH 7 %   25 %  52 %  16 %  0.7 %
// short LOW        7 %   47 %  27 %  19 %  0.7 %
// long HIGH                                0.2 % 27 %  58 %  14 %  0.2 %
// long LOW                           0.2 % 19 %  39 %  36 %  6 %
// Only the HIGH time tells the two kinds apart, as the machine reads them.
struct TPulseLengths {
  TLengthShares ShortHigh;
  TLengthShares ShortLow;
  TLengthShares LongHigh;
  TLengthShares LongLow;
  static constexpr double ReferenceRate = 22050;
};
TPulseLengths MeasuredSave();

// One stretch of tape: its pulses, how their halves are timed, and which
// block they are.
struct TTapePart {
  std::string Pulses;  // '0' short, '1' long, one character a pulse
  // The square halves of Kvetro's WAV in samples at ExactRate; none: each
  // half of each pulse drawn on its own from the conditions' lengths.
  std::optional<expected::Timing> Exact;
  int ExactRate = 44100;
  // The machine writes HIGH from the rising edge, then LOW; Kvetro's WAV
  // has LO, then HI. Either way the HIGH half carries the bit.
  bool HighFirst = true;
  // 0 or more: the framed bytes and checksum of block number Block (0, 1,
  // 2... in the order of the recording); -1: gaps, tape marks, end pulses.
  int Block = -1;
};

// The machine's own SAVE: 22000 short pulses, a tape mark of 40 long and 40
// short, a long pulse, the header, an end pulse, [256 short, the header
// again, an end pulse], 11000 short, 20 long and 20 short, a long pulse,
// the body, an end pulse, [256 short, the body again, an end pulse]; the
// lengths drawn. Blocks: header 0, its copy 1, body 2, its copy 3; without
// copies header 0, body 1.
std::vector<TTapePart> MachineSave(const TBytes& Mzf, bool Copies);
// The pulses of the WAV Kvetro writes for Mzf (the fast loader's or the
// machine's layout), at C's exact timings and rate. C.Inverted is not
// looked at: TTapeConditions::Inverted turns the recording over. Blocks
// with the fast loader: loader header 0, loader body 1, the user's body 2.
std::vector<TTapePart> KvetroTape(const TBytes& Mzf, const expected::Conversion& C);

// The tape goes quiet by Decibels for Milliseconds from the start of
// Byte's start pulse (the checksum's bytes follow the data's), fading down
// and up over 1 ms inside that time.
struct TDropout {
  int Block = 0;
  int Byte = 0;
  double Milliseconds = 10;
  double Decibels = -30;
};

// One pulse written other than the data says: Pulse 0 is a byte's start
// pulse, 1 to 8 its bits 7 down to 0.
struct TPulseEdit {
  int Block = 0;
  int Byte = 0;
  int Pulse = 0;
  bool Long = false;
  double HighSamples = 0;  // the HIGH half at 22050 Hz; 0: as usual for its kind
};

struct TTapeConditions {
  std::uint32_t Seed = 1;
  int Rate = 22050;
  int Bits = 8;            // 8-bit unsigned or 16-bit signed mono PCM
  double Amplitude = 0.5;  // the peak, of full scale
  TPulseLengths Lengths = MeasuredSave();
  // Soft edges: the 10 %-90 % rise time in samples at Rate of a Gaussian
  // smoothing, which keeps each edge's middle where it was; 0: the square
  // wave with each sample the average over its interval.
  double EdgeSamples = 0;
  double Hiss = 0;  // white noise after the gain, its RMS of full scale
  // The tape speed varies slowly by up to DriftPercent over DriftSeconds
  // and quickly by FlutterPercent at FlutterHz, both sines of random phase.
  double DriftPercent = 0;
  double DriftSeconds = 20;
  double FlutterPercent = 0;
  double FlutterHz = 8;
  double AcCouplingHz = 0;  // a one-pole high-pass as in sound cards and the machine's output
  std::vector<TDropout> Dropouts;
  // At that second of the tape (counted as StartSeconds is) the gain is
  // multiplied by that factor.
  std::vector<std::pair<double, double>> LevelSteps;
  std::vector<TPulseEdit> Edits;
  double StartSeconds = 0;  // the recording starts this late into the tape
  bool Inverted = false;    // HIGH recorded as negative
};

// What is true of one block in the recording.
struct TBlockTruth {
  int Block = 0;
  // The sample where each byte's start pulse begins: the data bytes, then
  // the 2 checksum bytes; negative for bytes before the recording starts.
  std::vector<std::int64_t> ByteSamples;
  // The fixed read points that read every recorded pulse of the block as
  // its data says: above the longest HIGH of the pulses that should be
  // short, below the shortest HIGH of those that should be long. Pulses a
  // dropout touches are left out.
  double WindowFromUs = 0;
  double WindowToUs = 0;
  // The bytes a dropout touches, first to last; empty when none.
  std::vector<int> DroppedBytes;

  // The window is open, no dropout touches the block and it is recorded
  // from its first byte.
  bool Readable() const;
};

struct TTapeRecording {
  TBytes Wave;  // a mono PCM WAV
  std::vector<TBlockTruth> Blocks;
};

// Plays Parts one after the other under Conditions. Raises
// std::invalid_argument for a bit depth other than 8 or 16 and for a
// dropout or edit outside the blocks.
TTapeRecording RecordTape(const std::vector<TTapePart>& Parts, const TTapeConditions& Conditions);

}  // namespace kvetro::test
