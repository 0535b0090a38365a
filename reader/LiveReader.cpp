#include "reader/LiveReader.h"

#include <algorithm>
#include <cmath>

#include "wave/WaveFormat.h"

namespace kvetro {

// The latest samples, in a ring of 16-bit values: the precision of the
// sound cards they come from, at half the room of floats.
class TLiveReader::THeldSamples : public TSampleKeeper {
 public:
  void Add(std::span<const float> Samples) {
    for (const float Sample : Samples) {
      const auto Value = static_cast<std::int16_t>(
          std::clamp(std::lround(Sample * Scale), long{INT16_MIN}, long{INT16_MAX}));
      if (FRing.size() < static_cast<std::size_t>(HeldSamples)) {
        FRing.push_back(Value);
      } else {
        FRing[static_cast<std::size_t>(FTotal % HeldSamples)] = Value;
      }
      ++FTotal;
    }
  }

  // What is still held of the stretch, from its start on.
  std::vector<float> Samples(std::int64_t First, std::int32_t Count) override {
    std::vector<float> Samples;
    if (First < FTotal - static_cast<std::int64_t>(FRing.size()) || First < 0) {
      return Samples;
    }
    for (std::int64_t I = First; I < std::min(First + Count, FTotal); ++I) {
      Samples.push_back(static_cast<float>(FRing[static_cast<std::size_t>(I % HeldSamples)]) /
                        Scale);
    }
    return Samples;
  }

 private:
  static constexpr float Scale = 32768;
  std::vector<std::int16_t> FRing;
  std::int64_t FTotal = 0;
};

namespace {

TTapeReport HeadOf(std::int32_t Rate, const TReadOptions& Options, std::string Name) {
  if (Rate < TWaveFormat::MinRate || Rate > TWaveFormat::MaxRate) {
    throw EWaveFormatError(Name, "sample rate " + std::to_string(Rate) + " Hz is outside " +
                                     std::to_string(TWaveFormat::MinRate) + " to " +
                                     std::to_string(TWaveFormat::MaxRate) + " Hz");
  }
  TTapeReport Head;
  Head.RecordingName = std::move(Name);
  Head.Format.Tag = TWaveFormat::FloatTag;
  Head.Format.Encoding = TWaveFormat::TEncoding::Float;
  Head.Format.Rate = Rate;
  Head.Format.Bits = Head.Format.ValidBits = 8 * sizeof(float);
  Head.Format.BlockAlign = sizeof(float);
  Head.Streamed = true;
  Head.PolarityFixed = Options.Polarity != TReadOptions::TPolarity::Either;
  return Head;
}

}  // namespace

TLiveReader::TLiveReader(std::int32_t Rate, const TReadOptions& Options, std::string Name)
    : FHead(HeadOf(Rate, Options, std::move(Name))),
      FHeld(std::make_unique<THeldSamples>()),
      FStages(Rate, Options.Polarity, FHead.RecordingName) {
  FStages.KeepSamples(*FHeld);
  FStages.TellFiles([this](const TToldFile& Told) { FTold.push_back(Told); });
}

TLiveReader::~TLiveReader() = default;

std::vector<TToldFile> TLiveReader::Feed(std::span<const float> Samples) {
  // Full scale, as in a WAV of float samples.
  FClipped += std::count_if(Samples.begin(), Samples.end(),
                            [](float Sample) { return std::fabs(Sample) >= 1; });
  FHeld->Add(Samples);
  FSamples += static_cast<std::int64_t>(Samples.size());
  FTold.clear();
  FStages.Feed(Samples);
  return std::move(FTold);
}

TTapeReport TLiveReader::Finish() {
  TTapeReport Report = FHead;
  Report.DurationSeconds = Seconds();
  FStages.Conclude(Report, FClipped);
  return Report;
}

}  // namespace kvetro
