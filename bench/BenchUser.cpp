#include "bench/BenchUser.h"

namespace kvetro::bench {

TBenchUser::TBenchUser(std::string InputName, std::string OutputName,
                       const TConversionSettings& Settings)
    : FInputName(std::move(InputName)),
      FOutputName(std::move(OutputName)),
      FSettings(Settings),
      FBoxes(Settings.UserTiming) {}

}  // namespace kvetro::bench
