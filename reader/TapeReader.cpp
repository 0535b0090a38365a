#include "reader/TapeReader.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "io/StreamErrors.h"
#include "reader/ReadingStages.h"
#include "reader/SampleSource.h"
#include "wave/MemoryStream.h"
#include "wave/StreamedWaveHeader.h"
#include "wave/WaveStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {

namespace {

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

std::int32_t CheckedChannel(const TReadOptions& Options, const TWaveFormat& Format,
                            const std::string& Name) {
  if (Options.Channel > Format.Channels || Options.Channel < 0) {
    throw EWaveFormatError(Name, "channel " + std::to_string(Options.Channel) +
                                     " asked for, but the recording has " +
                                     std::to_string(Format.Channels));
  }
  return Options.Channel;
}

// Feeds every block of samples to the stages; Stop is asked after each
// block, with the block, and ends the reading early.
template <typename TStop>
void ReadSamples(TSampleSource& Samples, TReadingStages& Stages, TStop Stop) {
  for (;;) {
    const auto Block = Samples.NextBlock();
    if (Block.empty()) {
      break;
    }
    Stages.Feed(Block);
    if (Stop(Block)) {
      break;
    }
  }
}

// The samples under a block's damage, from the wave read: its position is
// moved there and back.
class TWaveSamples : public TSampleKeeper {
 public:
  TWaveSamples(TWaveStream& Wave, const TWaveFormat& Format, std::int32_t Channel)
      : FWave(Wave), FFormat(Format), FChannel(Channel) {}

  std::vector<float> Samples(std::int64_t First, std::int32_t Count) override {
    const std::int32_t Here = FWave.Position();
    FWave.SetPosition(static_cast<std::int32_t>(First * FFormat.BlockAlign));
    TSampleSource Source(FWave, FFormat, FChannel);
    Source.LimitTo(static_cast<std::int64_t>(Count) * FFormat.BlockAlign);
    std::vector<float> Samples;
    for (auto Block = Source.NextBlock(); !Block.empty(); Block = Source.NextBlock()) {
      Samples.insert(Samples.end(), Block.begin(), Block.end());
    }
    FWave.SetPosition(Here);
    return Samples;
  }

 private:
  TWaveStream& FWave;
  const TWaveFormat& FFormat;
  std::int32_t FChannel;
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
  TReadingStages Stages(Format.Rate, Options.Polarity, Name);
  TWaveSamples Kept(Wave, Format, Channel);
  Stages.KeepSamples(Kept);
  Stages.ReadOnThreads();
  Report.PolarityFixed = Options.Polarity != TReadOptions::TPolarity::Either;

  TSampleSource Samples(Wave, Format, Channel);
  if (Samples.Unsigned8Mono()) {
    // Most of a square wave's samples are passed over unconverted.
    for (auto Codes = Samples.NextCodes(); !Codes.empty(); Codes = Samples.NextCodes()) {
      Stages.Feed(Codes);
    }
  } else {
    ReadSamples(Samples, Stages, [](std::span<const float>) { return false; });
  }
  Stages.Conclude(Report, Samples.ClippedSamples());
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

  TReadingStages Stages(Format.Rate, Options.Polarity, Name);
  Stages.TellFiles(
      [&Observer](const TToldFile& Told) { Observer.FileRead(Told.File, Told.Inverted); });
  TSampleSource Samples(Stream, Format, Channel);
  if (Head.DataBytes) {
    Samples.LimitTo(*Head.DataBytes);
  }
  const auto Seconds = [&Samples, &Format] {
    return static_cast<double>(Samples.FramesRead()) / Format.Rate;
  };
  ReadSamples(Samples, Stages, [&](std::span<const float> Block) {
    return Observer.Progress(Seconds(), PeakDb(Block));
  });
  Report.DurationSeconds = Seconds();
  Stages.Conclude(Report, Samples.ClippedSamples());
  return Report;
}

TTapeReport ReadTape(std::vector<std::uint8_t> Bytes, const std::string& Name,
                     const TReadOptions& Options) {
  TMemoryStream Memory(std::move(Bytes));
  return ReadTape(Memory, Name, Options);
}

}  // namespace kvetro
