// Tells the HIGH time of every pulse of the blocks that a recording's first
// reading took, short and long apart, with each block's read window: the
// data of the read window's picture (docs/read_window.py).
//
//   kvetro-read-pulses RECORDING.wav
//
// For each block read right at its first recording, one line
//   block FILE LABEL WINDOW_FROM_US WINDOW_TO_US
// then one line per pulse, from its tape mark to its checksum:
//   short|long HIGH_US
// The pulses are found again by the reader's own stages (samples, edges,
// pulses) in the channel and polarity that the reading chose, and split
// at the middle of the block's window; a count or an extreme that differs
// from the report's figures ends the program with status 1.
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

#include "reader/BlockReader.h"
#include "reader/EdgeDetector.h"
#include "reader/PulseMaker.h"
#include "reader/SampleSource.h"
#include "reader/TapeReader.h"
#include "wave/FileStream.h"
#include "wave/WaveStream.h"

namespace {

using namespace kvetro;

struct TDrawnBlock {
  std::int32_t File = 0;
  std::string Label;
  const TBlockReport* Block = nullptr;
  std::int32_t MarkPulses = 0;
};

std::vector<TDrawnBlock> BlocksOf(const TTapeReport& Report) {
  std::vector<TDrawnBlock> Blocks;
  std::int32_t Number = 0;
  for (const TFileReport& File : Report.Files) {
    ++Number;
    const auto Take = [&](const std::string& Label, const TBlockReport* Block, std::int32_t Mark) {
      if (Block != nullptr && Block->Source == TBlockSource::First && Block->Window.IsOpen()) {
        Blocks.push_back({Number, Label, Block, Mark});
      }
    };
    const std::string Prefix = File.FastLoader ? "loader-" : "";
    Take(Prefix + "header", &File.Header, TBlockReader::HeaderMark);
    Take(Prefix + "body", File.Body ? &*File.Body : nullptr, TBlockReader::BodyMark);
    Take("fast-body", File.FastBody ? &*File.FastBody : nullptr, TBlockReader::BodyMark);
  }
  return Blocks;
}

// Every pulse of the recording, as the reader's stages time it.
std::vector<TPulse> PulsesOf(const std::string& FileName, const TTapeReport& Report) {
  TFileStream File(FileName, fmOpenRead);
  TWaveStream Wave(File);
  Wave.Open(false);
  TSampleSource Samples(Wave, Report.Format, Report.Channel - 1);
  TEdgeDetector Detector(Report.Format.Rate);
  TPulseMaker Maker(Report.Format.Rate, Report.Inverted);
  std::vector<TPulse> Pulses;
  std::vector<TEdge> Edges;
  for (auto Block = Samples.NextBlock(); !Block.empty(); Block = Samples.NextBlock()) {
    Edges.clear();
    Detector.Feed(Block, Edges);
    for (const TEdge& Edge : Edges) {
      TPulse Pulse;
      if (Maker.Edge(Edge, Pulse)) {
        Pulses.push_back(Pulse);
      }
    }
  }
  return Pulses;
}

void Tell(const TDrawnBlock& Drawn, const std::vector<TPulse>& Pulses) {
  const TBlockReport& Block = *Drawn.Block;
  std::size_t First = 0;
  while (First < Pulses.size() && Pulses[First].StartSeconds < Block.StartSeconds) {
    ++First;
  }
  const std::size_t Count = static_cast<std::size_t>(2 * Drawn.MarkPulses + 1) +
                            static_cast<std::size_t>(Block.Length + 2) * 9;
  if (First + Count > Pulses.size()) {
    throw std::runtime_error("the pulses of " + Drawn.Label + " run past the recording");
  }
  const double Middle = (Block.Window.FromUs + Block.Window.ToUs) / 2;
  std::printf("block %d %s %.3f %.3f\n", Drawn.File, Drawn.Label.c_str(), Block.Window.FromUs,
              Block.Window.ToUs);
  std::int64_t Short = 0;
  std::int64_t Long = 0;
  double ShortMax = 0;
  double LongMin = 1e9;
  for (std::size_t I = First; I < First + Count; ++I) {
    const double High = Pulses[I].HighUs;
    const bool IsLong = High > Middle;
    std::printf("%s %.3f\n", IsLong ? "long" : "short", High);
    (IsLong ? Long : Short) += 1;
    if (IsLong) {
      LongMin = std::fmin(LongMin, High);
    } else {
      ShortMax = std::fmax(ShortMax, High);
    }
  }
  constexpr double SameUs = 1e-6;
  if (Short != Block.Short.High.Count || Long != Block.Long.High.Count ||
      std::fabs(ShortMax - Block.Window.FromUs) > SameUs ||
      std::fabs(LongMin - Block.Window.ToUs) > SameUs) {
    throw std::runtime_error("the pulses found for " + Drawn.Label +
                             " are not those the report counted");
  }
}

}  // namespace

int main(int ArgumentCount, char* Arguments[]) {
  if (ArgumentCount != 2) {
    std::fprintf(stderr, "usage: kvetro-read-pulses RECORDING.wav\n");
    return 2;
  }
  try {
    TFileStream Recording(Arguments[1], fmOpenRead);
    const TTapeReport Report = ReadTape(Recording, Arguments[1]);
    const std::vector<TPulse> Pulses = PulsesOf(Arguments[1], Report);
    for (const TDrawnBlock& Drawn : BlocksOf(Report)) {
      Tell(Drawn, Pulses);
    }
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "kvetro-read-pulses: %s\n", Error.what());
    return 1;
  }
  return 0;
}
