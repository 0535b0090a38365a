#include "reader/ReadingStages.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>

#include "reader/BlockReader.h"
#include "reader/FileAssembler.h"
#include "reader/PulseMaker.h"
#include "tape/MzfImage.h"

namespace kvetro {

// The stages after the edges, for one polarity. The blocks go to the files
// through it, so that a block's damage gets the samples under it while they
// are still at hand.
struct TReadingStages::TChain : TBlockConsumer {
  TChain(std::int32_t Rate, bool AInverted)
      : Inverted(AInverted), Pulses(Rate, AInverted), Blocks(*this, Rate) {}

  std::int32_t BlockLength(TBlockKind Kind) override { return Files.BlockLength(Kind); }
  void Block(TBlockRead Read) override {
    if (Keeper != nullptr && Read.Spot) {
      Read.Spot->Samples = Keeper->Samples(Read.Spot->FirstSample, Read.Spot->SampleCount);
    }
    Files.Block(std::move(Read));
  }

  void Edges(std::span<const TEdge> Edges) {
    // Filled whole by each pulse made.
    TPulse Pulse;
    for (const TEdge& Edge : Edges) {
      if (Pulses.Edge(Edge, Pulse)) {
        Blocks.Pulse(Pulse);
      }
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
  TSampleKeeper* Keeper = nullptr;
  TPulseMaker Pulses;
  TFileAssembler Files;
  TBlockReader Blocks;
};

namespace {

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

// Two readings of one file start within a pulse or two of each other; files
// lie seconds apart.
bool SameFile(const TFileReport& One, const TFileReport& Other) {
  constexpr double SameFileSeconds = 1;
  return std::fabs(Other.StartSeconds - One.StartSeconds) < SameFileSeconds;
}

}  // namespace

TReadingStages::TReadingStages(std::int32_t Rate, TReadOptions::TPolarity Polarity,
                               std::string RecordingName)
    : FRecordingName(std::move(RecordingName)), FEdges(Rate) {
  using TPolarity = TReadOptions::TPolarity;
  for (const bool Inverted : {false, true}) {
    if (Polarity == TPolarity::Either || (Polarity == TPolarity::Inverted) == Inverted) {
      FChains.push_back(std::make_unique<TChain>(Rate, Inverted));
    }
  }
}

TReadingStages::~TReadingStages() = default;

void TReadingStages::TellFiles(std::function<void(const TToldFile&)> Told) {
  FTold = std::move(Told);
  for (const auto& Chain : FChains) {
    Chain->Files.OnFile([this, Inverted = Chain->Inverted](const TFileReport& Offered) {
      const auto Same = [&Offered](const TFileReport& Other) { return SameFile(Offered, Other); };
      if (!Offered.Whole || std::any_of(FToldFiles.begin(), FToldFiles.end(), Same)) {
        return;
      }
      TToldFile Whole{Offered, Inverted};
      if (!Whole.File.Header) {
        MakeUpHeader(Whole.File, FRecordingName);
      }
      FTold(Whole);
      FToldFiles.push_back(std::move(Whole.File));
    });
  }
}

void TReadingStages::KeepSamples(TSampleKeeper& Keeper) {
  FKeeper = &Keeper;
}

void TReadingStages::Start() {
  std::vector<TEdgeFanOut::TReader> Readers;
  for (const auto& Chain : FChains) {
    Readers.emplace_back([&Chain = *Chain](std::span<const TEdge> Edges) { Chain.Edges(Edges); });
  }
  FFanOut = std::make_unique<TEdgeFanOut>(std::move(Readers), FThreads && !FTold);
  // The keeper reads on the caller's thread only.
  FFetchAtEnd = FFanOut->Threaded();
  for (const auto& Chain : FChains) {
    Chain->Keeper = FFetchAtEnd ? nullptr : FKeeper;
  }
}

void TReadingStages::Feed(std::span<const float> Samples) {
  FeedSamples(Samples);
}

void TReadingStages::Feed(std::span<const std::uint8_t> Codes) {
  FeedSamples(Codes);
}

template <typename TSample>
void TReadingStages::FeedSamples(std::span<const TSample> Samples) {
  if (!FFanOut) {
    Start();
  }
  FEdges.Feed(Samples, FFanOut->NextBatch());
  FFanOut->Send();
}

void TReadingStages::FetchSamples(TTapeReport& Report) {
  for (TFileReport& File : Report.Files) {
    for (std::optional<TBlockReport>* Block : {&File.Header, &File.Body, &File.FastBody}) {
      if (*Block && (*Block)->BadSpot) {
        TBadSpot& Spot = *(*Block)->BadSpot;
        Spot.Samples = FKeeper->Samples(Spot.FirstSample, Spot.SampleCount);
      }
    }
  }
}

void TReadingStages::Conclude(TTapeReport& Report, std::int64_t ClippedSamples) {
  if (FFanOut) {
    FFanOut->Finish();
  }
  const TChain* Best = nullptr;
  for (const auto& Chain : FChains) {
    Chain->Finish();
    if (Best == nullptr || Chain->Score() > Best->Score()) {
      Best = Chain.get();
    }
  }
  Report.Inverted = Best->Inverted;
  for (const auto& Chain : FChains) {
    if (Chain.get() != Best) {
      using TOther = TTapeReport::TOtherPolarity;
      const std::int32_t Whole = std::get<0>(Chain->Score());
      Report.OtherPolarity = Whole > 0 && Whole == std::get<0>(Best->Score()) ? TOther::ReadsToo
                             : std::get<1>(Chain->Score()) > 0                ? TOther::ReadsLess
                                                               : TOther::ReadsNothing;
    }
  }
  Report.Problems = Best->Files.Problems();
  if (ClippedSamples > 0) {
    Report.Problems.push_back({TReadProblem::TKind::Clipping, 0, ClippedSamples});
  }
  // A file told keeps its place, but the blocks read after it was told (its
  // copies) join it as they joined the best polarity's.
  Report.Files = FToldFiles;
  const auto ToldEnd = static_cast<std::ptrdiff_t>(FToldFiles.size());
  for (TFileReport File : Best->Files.Files()) {
    if (!File.Header) {
      MakeUpHeader(File, FRecordingName);
    }
    const auto Told =
        std::find_if(Report.Files.begin(), Report.Files.begin() + ToldEnd,
                     [&File](const TFileReport& Other) { return SameFile(File, Other); });
    if (Told == Report.Files.begin() + ToldEnd) {
      Report.Files.push_back(std::move(File));
    } else if (File.Whole) {
      *Told = std::move(File);
    }
  }
  if (FFetchAtEnd && FKeeper != nullptr) {
    FetchSamples(Report);
  }
}

}  // namespace kvetro
