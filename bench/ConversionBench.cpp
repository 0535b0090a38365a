// The whole conversion run into a file: both loads of the input, the loader
// pass, the body pass, the header and the move into place. Each iteration
// writes a new file; removing the last one is not timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/BenchInputs.h"
#include "bench/ScratchFolder.h"
#include "tape/ConversionRun.h"
#include "tape/FixedSettingsUser.h"

namespace kvetro::bench {
namespace {

void ConversionIntoFile(benchmark::State& State, const TBenchInput& Input) {
  const TScratchFolder Folder;
  const std::string InputName = Folder.PathOf(Input.Name + ".mzf");
  const std::string OutputName = Folder.PathOf(Input.Name + ".wav");
  WriteInputFile(Input, InputName);
  const TConversionPlan Plan = PlanOf(Input);
  // Long-lived, like the program's own run object.
  const auto Run = std::make_unique<TConversionRun>();
  for (auto _ : State) {
    TFixedSettingsUser User(InputName, OutputName, Input.Settings);
    if (Run->Execute(User) != TRunOutcome::Written) {
      State.SkipWithError(User.Messages.empty() ? "the run wrote nothing"
                                                : User.Messages.front().c_str());
      break;
    }
    State.PauseTiming();
    const auto Written = std::filesystem::file_size(OutputName);
    std::filesystem::remove(OutputName);
    State.ResumeTiming();
    if (Written != Plan.FileSize()) {
      State.SkipWithError("the file does not have the planned size");
      break;
    }
  }
  State.counters["samples"] = static_cast<double>(Plan.DataSize());
  State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(Plan.FileSize()));
}

BENCHMARK_CAPTURE(ConversionIntoFile, worst, WorstCaseInput())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ConversionIntoFile, standard_worst, StandardWorstCaseInput())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(ConversionIntoFile, typical, TypicalInput())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kvetro::bench
