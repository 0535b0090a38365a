// Writes one benchmark input and tells how to convert it.
//
//   kvetro-bench-input worst|standard-worst|typical|sized:BYTES FILE.mzf
//
// prints one line: the sample count, the WAV file size in bytes, then the
// kvetro-cli options that give the input its settings.
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "bench/BenchInputs.h"

namespace {

kvetro::bench::TBenchInput Choose(const std::string& Case) {
  const std::string Sized = "sized:";
  if (Case == "worst") {
    return kvetro::bench::WorstCaseInput();
  }
  if (Case == "standard-worst") {
    return kvetro::bench::StandardWorstCaseInput();
  }
  if (Case == "typical") {
    return kvetro::bench::TypicalInput();
  }
  if (Case.rfind(Sized, 0) == 0) {
    return kvetro::bench::SizedInput(std::stoull(Case.substr(Sized.size())));
  }
  throw std::invalid_argument("unknown case " + Case);
}

}  // namespace

int main(int ArgumentCount, char* Arguments[]) {
  if (ArgumentCount != 3) {
    std::fprintf(stderr,
                 "usage: kvetro-bench-input worst|standard-worst|typical|sized:BYTES FILE.mzf\n");
    return 2;
  }
  try {
    const kvetro::bench::TBenchInput Input = Choose(Arguments[1]);
    kvetro::bench::WriteInputFile(Input, Arguments[2]);
    const kvetro::TConversionPlan Plan = kvetro::bench::PlanOf(Input);
    const kvetro::PulseTiming& Timing = Input.Settings.UserTiming;
    std::printf("%llu %llu --zero %d,%d --one %d,%d",
                static_cast<unsigned long long>(Plan.DataSize()),
                static_cast<unsigned long long>(Plan.FileSize()), Timing.Log0Lo, Timing.Log0Hi,
                Timing.Log1Lo, Timing.Log1Hi);
    // The machine's own layout has no loader, so none of the loader's settings.
    if (Input.Settings.Layout == kvetro::TTapeLayoutChoice::FastLoader) {
      std::printf(" --constant %d --loader-gap %d --body-gap %d\n", Input.Settings.MonitorConstant,
                  Input.Settings.LoaderGap, Input.Settings.BodyGap);
    } else {
      std::printf(" --standard%s\n",
                  Input.Settings.Layout == kvetro::TTapeLayoutChoice::StandardNoCopies
                      ? " --no-copies"
                      : "");
    }
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "kvetro-bench-input: %s\n", Error.what());
    return 1;
  }
  return 0;
}
