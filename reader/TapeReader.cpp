#include "reader/TapeReader.h"

#include <memory>
#include <tuple>

#include "io/StreamErrors.h"
#include "reader/BlockReader.h"
#include "reader/EdgeDetector.h"
#include "reader/FileAssembler.h"
#include "reader/PulseMaker.h"
#include "reader/SampleSource.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {

namespace {

// The stages after the edges, for one polarity.
struct TChain {
  TChain(std::int32_t Rate, bool AInverted)
      : Inverted(AInverted), Pulses(Rate, AInverted), Blocks(Files) {}

  void Edge(const TEdge& Edge) {
    TPulse Pulse;
    if (Pulses.Edge(Edge, Pulse)) {
      Blocks.Pulse(Pulse);
    }
  }
  void Finish() {
    Blocks.Finish();
    Files.Finish();
  }
  // What decides between the polarities: files read whole, then blocks.
  auto Score() const {
    std::int32_t Whole = 0;
    for (const TFileReport& File : Files.Files()) {
      Whole += File.Whole ? 1 : 0;
    }
    return std::make_tuple(Whole, Files.GoodBlocks(), Files.Files().size());
  }

  bool Inverted;
  TPulseMaker Pulses;
  TFileAssembler Files;
  TBlockReader Blocks;
};

TWaveFormat OpenWave(TWaveStream& Wave, TStream& Stream, const std::string& Name) {
  const auto Refuse = [&Name](const std::string& Reason) { return EWaveFormatError(Name, Reason); };
  if (Stream.Size() - Stream.Position() <= 0) {
    throw Refuse("the file is empty");
  }
  try {
    Wave.Open(false);
  } catch (const EWaveStreamError&) {
    throw Refuse("not a WAV file (no RIFF/WAVE header)");
  } catch (const EReadError&) {
    throw Refuse("the file is cut short");
  }
  if (Wave.GetFormatSize() == 0) {
    throw Refuse("no format chunk");
  }
  const TWaveFormat Format = TWaveFormat::Parse(Wave.GetFormat(), Wave.GetFormatSize(), Name);
  if (Wave.ClaimedDataSize() < 0) {
    throw Refuse("no data chunk");
  }
  if (Wave.ClaimedDataSize() > Wave.GetDataSize()) {
    throw Refuse("the data chunk runs past the end of the file (" +
                 std::to_string(Wave.GetDataSize()) + " of " +
                 std::to_string(Wave.ClaimedDataSize()) + " bytes present)");
  }
  return Format;
}

}  // namespace

TTapeReport ReadTape(TStream& Stream, const std::string& Name, const TReadOptions& Options) {
  TWaveStream Wave(Stream);
  TTapeReport Report;
  Report.RecordingName = Name;
  Report.Format = OpenWave(Wave, Stream, Name);
  const TWaveFormat& Format = Report.Format;
  if (Options.Channel > Format.Channels || Options.Channel < 0) {
    throw EWaveFormatError(Name, "channel " + std::to_string(Options.Channel) +
                                     " asked for, but the recording has " +
                                     std::to_string(Format.Channels));
  }
  const std::int32_t Channel = Options.Channel > 0 ? Options.Channel - 1
                               : Format.Channels == 1
                                   ? 0
                                   : TSampleSource::StrongestChannel(Wave, Format);
  Report.Channel = Channel + 1;
  Report.DurationSeconds =
      static_cast<double>(Wave.GetDataSize() / Format.BlockAlign) / Format.Rate;

  std::vector<std::unique_ptr<TChain>> Chains;
  using TPolarity = TReadOptions::TPolarity;
  for (const bool Inverted : {false, true}) {
    if (Options.Polarity == TPolarity::Either ||
        (Options.Polarity == TPolarity::Inverted) == Inverted) {
      Chains.push_back(std::make_unique<TChain>(Format.Rate, Inverted));
    }
  }
  Report.PolarityFixed = Options.Polarity != TPolarity::Either;

  TSampleSource Samples(Wave, Format, Channel);
  TEdgeDetector Edges(Format.Rate);
  std::vector<TEdge> Found;
  for (;;) {
    const auto Block = Samples.NextBlock();
    if (Block.empty()) {
      break;
    }
    Found.clear();
    Edges.Feed(Block, Found);
    for (const auto& Chain : Chains) {
      for (const TEdge& Edge : Found) {
        Chain->Edge(Edge);
      }
    }
  }
  const TChain* Best = nullptr;
  for (const auto& Chain : Chains) {
    Chain->Finish();
    if (Best == nullptr || Chain->Score() > Best->Score()) {
      Best = Chain.get();
    }
  }
  Report.Inverted = Best->Inverted;
  Report.Files = Best->Files.Files();
  Report.Problems = Best->Files.Problems();
  if (Samples.ClippedSamples() > 0) {
    Report.Problems.push_back({TReadProblem::TKind::Clipping, 0, Samples.ClippedSamples()});
  }
  return Report;
}

TTapeReport ReadTape(std::vector<std::uint8_t> Bytes, const std::string& Name,
                     const TReadOptions& Options) {
  TMemoryStream Memory(std::move(Bytes));
  return ReadTape(Memory, Name, Options);
}

}  // namespace kvetro
