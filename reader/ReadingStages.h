#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "reader/EdgeDetector.h"
#include "reader/EdgeFanOut.h"
#include "reader/ReadOptions.h"
#include "reader/TapeReport.h"

namespace kvetro {

// Gives back samples of the recording already read, for the picture of a
// block's damage (TBadSpot).
class TSampleKeeper {
 public:
  virtual ~TSampleKeeper() = default;
  // Count samples from First, counted from the start of the recording, in
  // -1..1; none when they are no longer held.
  virtual std::vector<float> Samples(std::int64_t First, std::int32_t Count) = 0;
};

// A file read whole, and the polarity that read it.
struct TToldFile {
  TFileReport File;
  bool Inverted = false;
};

// The stages of reading after the samples, the same for a file, a stream
// and a live recording: the edges (EdgeDetector), then for each polarity
// tried its pulses (PulseMaker), blocks (BlockReader) and files
// (FileAssembler). A body read without its header gets one made up, named
// after the recording (its name without folders and extension, in capitals),
// as long as the body, at no known address.
class TReadingStages {
 public:
  TReadingStages(std::int32_t Rate, TReadOptions::TPolarity Polarity, std::string RecordingName);
  ~TReadingStages();
  TReadingStages(const TReadingStages&) = delete;
  TReadingStages& operator=(const TReadingStages&) = delete;

  // Each file read whole by either polarity goes to Told the moment its
  // last block is read, once: the same file read by the other polarity as
  // well is not told again. Asked before the first samples; without it the
  // files wait for Conclude.
  void TellFiles(std::function<void(const TToldFile&)> Told);
  // Where the samples under a block's damage come from; without one the
  // report's spots have none.
  void KeepSamples(TSampleKeeper& Keeper);
  // Reads the two polarities on threads of their own, where the platform
  // has threads and no files are told as they come (they would be told on
  // those threads); the samples under damage are then fetched by Conclude,
  // on the caller's thread, for the blocks of the report. Asked before the
  // first samples.
  void ReadOnThreads() { FThreads = true; }

  // The next samples of the channel read, in -1..1.
  void Feed(std::span<const float> Samples);
  // The same as 8-bit samples as a WAV holds them (reader/Unsigned8Sample.h).
  void Feed(std::span<const std::uint8_t> Codes);

  // The recording has ended. Puts into Report what the polarity that read
  // most found: Inverted, OtherPolarity, the problems (ClippedSamples among
  // them), and the files: those told, in their order, then the rest of that
  // polarity's.
  void Conclude(TTapeReport& Report, std::int64_t ClippedSamples);

 private:
  struct TChain;
  // Sets the polarities going, at the first samples.
  void Start();
  template <typename TSample>
  void FeedSamples(std::span<const TSample> Samples);
  // The samples under each bad spot of the report's blocks.
  void FetchSamples(TTapeReport& Report);

  std::string FRecordingName;
  TEdgeDetector FEdges;
  std::vector<std::unique_ptr<TChain>> FChains;
  std::function<void(const TToldFile&)> FTold;
  std::vector<TFileReport> FToldFiles;
  TSampleKeeper* FKeeper = nullptr;
  bool FThreads = false;
  bool FFetchAtEnd = false;
  // After the chains, so that its threads end before the chains go.
  std::unique_ptr<TEdgeFanOut> FFanOut;
};

}  // namespace kvetro
