#include "reader/TapeReader.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <span>
#include <tuple>

#include "io/StreamErrors.h"
#include "reader/BlockReader.h"
#include "reader/EdgeDetector.h"
#include "reader/EdgeFanOut.h"
#include "reader/FileAssembler.h"
#include "reader/PulseMaker.h"
#include "reader/SampleSource.h"
#include "tape/MzfImage.h"
#include "wave/MemoryStream.h"
#include "wave/StreamedWaveHeader.h"
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

using TChains = std::vector<std::unique_ptr<TChain>>;

TChains MakeChains(const TReadOptions& Options, std::int32_t Rate) {
  TChains Chains;
  using TPolarity = TReadOptions::TPolarity;
  for (const bool Inverted : {false, true}) {
    if (Options.Polarity == TPolarity::Either ||
        (Options.Polarity == TPolarity::Inverted) == Inverted) {
      Chains.push_back(std::make_unique<TChain>(Rate, Inverted));
    }
  }
  return Chains;
}

std::int32_t CheckedChannel(const TReadOptions& Options, const TWaveFormat& Format,
                            const std::string& Name) {
  if (Options.Channel > Format.Channels || Options.Channel < 0) {
    throw EWaveFormatError(Name, "channel " + std::to_string(Options.Channel) +
                                     " asked for, but the recording has " +
                                     std::to_string(Format.Channels));
  }
  return Options.Channel;
}

// Feeds every block of samples through the edges to every chain, each on a
// thread of its own when Threads; Stop is asked after each block, with the
// block, and ends the reading early.
template <typename TStop>
void ReadSamples(TSampleSource& Samples, std::int32_t Rate, const TChains& Chains, bool Threads,
                 TStop Stop) {
  std::vector<TEdgeFanOut::TReader> Readers;
  for (const auto& Chain : Chains) {
    Readers.emplace_back([&Chain = *Chain](std::span<const TEdge> Edges) {
      for (const TEdge& Edge : Edges) {
        Chain.Edge(Edge);
      }
    });
  }
  TEdgeFanOut FanOut(std::move(Readers), Threads);
  TEdgeDetector Edges(Rate);
  for (;;) {
    const auto Block = Samples.NextBlock();
    if (Block.empty()) {
      break;
    }
    std::vector<TEdge> Found;
    Edges.Feed(Block, Found);
    FanOut.Send(std::move(Found));
    if (Stop(Block)) {
      break;
    }
  }
  FanOut.Finish();
}

// Ends the chains and puts into the report what the one that read most
// found: its polarity, what the other read, its problems and the clipping.
const TChain& Conclude(TTapeReport& Report, const TChains& Chains, const TSampleSource& Samples) {
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
  Report.Problems = Best->Files.Problems();
  if (Samples.ClippedSamples() > 0) {
    Report.Problems.push_back({TReadProblem::TKind::Clipping, 0, Samples.ClippedSamples()});
  }
  return *Best;
}

// The files of a stream, told as each is read whole by either polarity;
// the same file read by the other polarity too is told once.
class TToldFiles {
 public:
  TToldFiles(TTapeObserver& Observer, const std::string& Name) : FObserver(Observer), FName(Name) {}

  void Offer(TFileReport File, bool Inverted) {
    if (!File.Whole || Told(File)) {
      return;
    }
    if (!File.Header) {
      MakeUpHeader(File, FName);
    }
    FObserver.FileRead(File, Inverted);
    FFiles.push_back(std::move(File));
  }
  // Two readings of one file start within a pulse or two of each other;
  // files lie seconds apart.
  bool Told(const TFileReport& File) const {
    constexpr double SameFileSeconds = 1;
    for (const TFileReport& Other : FFiles) {
      if (std::fabs(Other.StartSeconds - File.StartSeconds) < SameFileSeconds) {
        return true;
      }
    }
    return false;
  }
  std::vector<TFileReport>& Files() { return FFiles; }

 private:
  TTapeObserver& FObserver;
  const std::string& FName;
  std::vector<TFileReport> FFiles;
};

double PeakDb(std::span<const float> Block) {
  float Peak = 0;
  for (const float Sample : Block) {
    Peak = std::max(Peak, std::fabs(Sample));
  }
  constexpr double Floor = -99;
  return Peak > 0 ? std::max(Floor, 20 * std::log10(static_cast<double>(Peak))) : Floor;
}

}  // namespace

TTapeReport ReadTape(TStream& Stream, const std::string& Name, const TReadOptions& Options) {
  TWaveStream Wave(Stream);
  TTapeReport Report;
  Report.RecordingName = Name;
  Report.Format = OpenWave(Wave, Stream, Name);
  const TWaveFormat& Format = Report.Format;
  const std::int32_t Asked = CheckedChannel(Options, Format, Name);
  const std::int32_t Channel = Asked > 0 ? Asked - 1
                               : Format.Channels == 1
                                   ? 0
                                   : TSampleSource::StrongestChannel(Wave, Format);
  Report.Channel = Channel + 1;
  Report.DurationSeconds =
      static_cast<double>(Wave.GetDataSize() / Format.BlockAlign) / Format.Rate;
  const TChains Chains = MakeChains(Options, Format.Rate);
  Report.PolarityFixed = Options.Polarity != TReadOptions::TPolarity::Either;

  TSampleSource Samples(Wave, Format, Channel);
  ReadSamples(Samples, Format.Rate, Chains, true, [](std::span<const float>) { return false; });
  Report.Files = Conclude(Report, Chains, Samples).Files.Files();
  for (TFileReport& File : Report.Files) {
    if (!File.Header) {
      MakeUpHeader(File, Name);
    }
  }
  return Report;
}

TTapeReport ReadTapeStream(TStream& Stream, const std::string& Name, const TReadOptions& Options,
                           TTapeObserver& Observer) {
  const TStreamedWaveHeader Head = TStreamedWaveHeader::Read(Stream, Name);
  TTapeReport Report;
  Report.RecordingName = Name;
  Report.Format = Head.Format;
  Report.Streamed = true;
  const TWaveFormat& Format = Report.Format;
  const std::int32_t Channel = std::max(CheckedChannel(Options, Format, Name), 1) - 1;
  Report.Channel = Channel + 1;
  Report.PolarityFixed = Options.Polarity != TReadOptions::TPolarity::Either;
  Observer.Started(Report);

  const TChains Chains = MakeChains(Options, Format.Rate);
  TToldFiles Told(Observer, Name);
  for (const auto& Chain : Chains) {
    Chain->Files.OnFile([&Told, Inverted = Chain->Inverted](const TFileReport& File) {
      Told.Offer(File, Inverted);
    });
  }
  TSampleSource Samples(Stream, Format, Channel);
  if (Head.DataBytes) {
    Samples.LimitTo(*Head.DataBytes);
  }
  const auto Seconds = [&Samples, &Format] {
    return static_cast<double>(Samples.FramesRead()) / Format.Rate;
  };
  // The files are told as they come, on this thread.
  ReadSamples(Samples, Format.Rate, Chains, false, [&](std::span<const float> Block) {
    return Observer.Progress(Seconds(), PeakDb(Block));
  });
  Report.DurationSeconds = Seconds();
  const TChain& Best = Conclude(Report, Chains, Samples);
  std::vector<TFileReport> NotWhole;
  for (TFileReport File : Best.Files.Files()) {
    if (!Told.Told(File)) {
      if (!File.Header) {
        MakeUpHeader(File, Name);
      }
      NotWhole.push_back(std::move(File));
    }
  }
  Report.Files = std::move(Told.Files());
  Report.Files.insert(Report.Files.end(), NotWhole.begin(), NotWhole.end());
  return Report;
}

TTapeReport ReadTape(std::vector<std::uint8_t> Bytes, const std::string& Name,
                     const TReadOptions& Options) {
  TMemoryStream Memory(std::move(Bytes));
  return ReadTape(Memory, Name, Options);
}

}  // namespace kvetro
