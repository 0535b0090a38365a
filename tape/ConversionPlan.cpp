#include "tape/ConversionPlan.h"

#include <cstdio>
#include <memory>

#include "tape/FastLoaderFile.h"
#include "tape/SignalTotals.h"

namespace kvetro {

TConversionPlan PlanConversion(const TMzfImage& Image, const TConversionSettings& Settings) {
  // 64 KiB: kept off the stack.
  auto Loader = std::make_unique<TMzfImage>(Image);
  const std::uint16_t LoaderLength = BuildFastLoaderFile(*Loader, Settings.MonitorConstant);

  TConversionPlan Plan;
  Plan.LoaderSamples = FullRunPulses(*Loader, Settings.LoaderGap, Settings.BodyGap, LoaderLength)
                           .Samples(PulseTiming::Standard());
  Plan.BodySamples =
      BodyRunPulses(Image, Settings.BodyGap, Image.BodySize()).Samples(Settings.UserTiming);
  return Plan;
}

std::string PlayingTime(std::uint64_t Samples) {
  constexpr std::uint64_t SampleRate = TConversionPlan::SampleRate;
  // Whole milliseconds, rounded half up, without floating point.
  const std::uint64_t Milliseconds = (Samples * 1000 + SampleRate / 2) / SampleRate;
  char Text[40];
  std::snprintf(Text, sizeof Text, "%llu.%03llu s",
                static_cast<unsigned long long>(Milliseconds / 1000),
                static_cast<unsigned long long>(Milliseconds % 1000));
  return Text;
}

}  // namespace kvetro
