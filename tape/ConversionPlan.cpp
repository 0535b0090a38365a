#include "tape/ConversionPlan.h"

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

}  // namespace kvetro
