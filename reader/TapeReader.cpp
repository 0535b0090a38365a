#include "reader/TapeReader.h"

#include <memory>
#include <tuple>

#include "io/StreamErrors.h"
#include "reader/BlockReader.h"
#include "reader/EdgeDetector.h"
#include "reader/FileAssembler.h"
#include "reader/PulseMaker.h"
#include "reader/SampleSource.h"
#include "tape/MzfImage.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {

namespace {

// The stages after the edges, for one polarity.
struct TChain {
  TChain(std::int32_t Rate, bool AInverted)
      : Inverted(AInverted), Pulses(Rate, AInverted), Blocks(Files, Rate) {}

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

// A body without its header gets one, so that what was read can be kept: an
// object file named after the recording (its name without folders and
// extension, in capitals), as long as the body, at no known address.
void MakeUpHeader(TFileReport& File, const std::string& RecordingName) {
  constexpr std::uint8_t ObjectFile = 0x01;
  constexpr std::size_t NameLength = 16;
  constexpr std::uint8_t NameEnd = 0x0D;
  const std::size_t Slash = RecordingName.find_last_of("/\\");
  std::string Stem = RecordingName.substr(Slash == std::string::npos ? 0 : Slash + 1);
  Stem = Stem.substr(0, Stem.find_last_of('.'));
  File.Type = ObjectFile;
  File.Name.clear();
  for (const char Character : Stem) {
    if (File.Name.size() < NameLength && Character >= ' ' && Character <= 'z') {
      File.Name.push_back(static_cast<std::uint8_t>(
          Character >= 'a' && Character <= 'z' ? Character - 'a' + 'A' : Character));
    }
  }
  File.Mzf[0] = File.Type;
  std::copy(File.Name.begin(), File.Name.end(), File.Mzf.begin() + 1);
  File.Mzf[1 + File.Name.size()] = NameEnd;
  File.Mzf[TMzfImage::BodySizeOffset] = static_cast<std::uint8_t>(File.Size & 0xFF);
  File.Mzf[TMzfImage::BodySizeOffset + 1] = static_cast<std::uint8_t>(File.Size >> 8);
}

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
  for (const auto& Chain : Chains) {
    if (Chain.get() != Best) {
      using TOther = TTapeReport::TOtherPolarity;
      const std::int32_t Whole = std::get<0>(Chain->Score());
      Report.OtherPolarity = Whole > 0 && Whole == std::get<0>(Best->Score()) ? TOther::ReadsToo
                             : std::get<1>(Chain->Score()) > 0                ? TOther::ReadsLess
                                                               : TOther::ReadsNothing;
    }
  }
  Report.Files = Best->Files.Files();
  for (TFileReport& File : Report.Files) {
    if (!File.Header) {
      MakeUpHeader(File, Name);
    }
  }
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
