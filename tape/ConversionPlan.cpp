#include "tape/ConversionPlan.h"

#include <cstdio>
#include <memory>

#include "tape/FastLoaderFile.h"
#include "tape/SignalTotals.h"

namespace kvetro {

namespace {

std::vector<TPlannedFile> FastLoaderFiles(const TConversionSettings& Settings,
                                          std::int32_t BodySize) {
  const std::int32_t Rate = Settings.SampleRate;
  return {
      {"Loader file", kFastLoaderFile, 0, true, PulseTiming::Standard().AtRate(Rate),
       TRunValues{Settings.LoaderGap, Settings.BodyGap, FastLoaderBodySize}},
      {"Body", kFastBodyFile, 0, false, Settings.UserTiming.AtRate(Rate),
       TRunValues{0, Settings.BodyGap, BodySize}},
  };
}

std::vector<TPlannedFile> StandardFiles(const TConversionSettings& Settings,
                                        std::int32_t BodySize) {
  const bool Copies = Settings.Layout == TTapeLayoutChoice::Standard;
  return {{"Tape file", Copies ? kStandardFile : kStandardFileNoCopies, 0, false,
           Settings.UserTiming.AtRate(Settings.SampleRate), TRunValues{0, 0, BodySize}}};
}

// Adds the tape files of Image, the tape's file number Index, with the
// samples each takes; Loader is overwritten.
void AddFiles(TConversionPlan& Plan, const TMzfImage& Image, std::size_t Index,
              const TConversionSettings& Settings, TMzfImage& Loader) {
  std::vector<TPlannedFile> Files = Settings.Layout == TTapeLayoutChoice::FastLoader
                                        ? FastLoaderFiles(Settings, Image.BodySize())
                                        : StandardFiles(Settings, Image.BodySize());
  for (TPlannedFile& File : Files) {
    File.Image = Index;
    const TMzfImage& Source = PlannedImage(File, Image, Settings.MonitorConstant, Loader);
    File.Samples = RunPulses(Source, File.Layout, File.Values).Samples(File.Timing);
    Plan.Files.push_back(File);
  }
}

}  // namespace

std::uint64_t TConversionPlan::DataSize() const {
  std::uint64_t Size = 0;
  for (const TPlannedFile& File : Files) {
    Size += File.Samples;
  }
  return Size;
}

const TMzfImage& PlannedImage(const TPlannedFile& File, const TMzfImage& Image,
                              std::int32_t MonitorConstant, TMzfImage& Loader) {
  if (!File.FromLoader) {
    return Image;
  }
  Loader = Image;
  BuildFastLoaderFile(Loader, MonitorConstant);
  return Loader;
}

TConversionPlan PlanConversion(const TMzfImage& Image, const TConversionSettings& Settings) {
  TConversionPlan Plan;
  Plan.SampleRate = Settings.SampleRate;
  // 64 KiB: kept off the stack.
  const auto Loader = std::make_unique<TMzfImage>();
  AddFiles(Plan, Image, 0, Settings, *Loader);
  return Plan;
}

TConversionPlan PlanConversion(const TMzfTape& Tape, const TConversionSettings& Settings) {
  TConversionPlan Plan;
  Plan.SampleRate = Settings.SampleRate;
  const auto Image = std::make_unique<TMzfImage>();
  const auto Loader = std::make_unique<TMzfImage>();
  for (std::size_t Index = 0; Index < Tape.Count(); ++Index) {
    Tape.Fill(Index, *Image);
    AddFiles(Plan, *Image, Index, Settings, *Loader);
  }
  return Plan;
}

std::string PlayingTime(std::uint64_t Samples, std::int32_t Rate) {
  const auto SampleRate = static_cast<std::uint64_t>(Rate);
  // Whole milliseconds, rounded half up, without floating point.
  const std::uint64_t Milliseconds = (Samples * 1000 + SampleRate / 2) / SampleRate;
  char Text[40];
  std::snprintf(Text, sizeof Text, "%llu.%03llu s",
                static_cast<unsigned long long>(Milliseconds / 1000),
                static_cast<unsigned long long>(Milliseconds % 1000));
  return Text;
}

}  // namespace kvetro
