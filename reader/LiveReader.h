#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "reader/ReadOptions.h"
#include "reader/ReadingStages.h"
#include "reader/TapeReport.h"

namespace kvetro {

// Reads a recording while it is made, its samples pushed in as they arrive
// (the page's audio input), with the stages a WAV is read with
// (reader/ReadingStages.h): the report is the one ReadTape gives for a WAV
// of the same samples, but each file read whole is handed back by the Feed
// that completed it. The latest HeldSamples samples are held, so that a
// block's damage within them comes with the samples under it.
class TLiveReader {
 public:
  static constexpr std::int64_t HeldSamples = std::int64_t{1} << 23;  // 16 MiB, three minutes

  // Rate: samples a second; Name names the recording in the report and
  // gives a made-up header its name. Raises EWaveFormatError for a rate
  // outside what a WAV may have (wave/WaveFormat.h).
  TLiveReader(std::int32_t Rate, const TReadOptions& Options, std::string Name);
  ~TLiveReader();

  // The report before anything is read: the name and the format, one
  // channel of float samples at the rate.
  const TTapeReport& Head() const { return FHead; }

  // The next samples of the one channel, in -1..1, as many as have come:
  // answers the files read whole by them, each once, in order.
  std::vector<TToldFile> Feed(std::span<const float> Samples);
  double Seconds() const { return static_cast<double>(FSamples) / FHead.Format.Rate; }

  // The recording has ended, or was stopped: the report of all of it, the
  // files handed out first, in their order, then those not read whole.
  // Called once.
  TTapeReport Finish();

 private:
  class THeldSamples;

  TTapeReport FHead;
  std::unique_ptr<THeldSamples> FHeld;
  TReadingStages FStages;
  std::vector<TToldFile> FTold;  // by the Feed under way
  std::int64_t FSamples = 0;
  std::int64_t FClipped = 0;
};

}  // namespace kvetro
