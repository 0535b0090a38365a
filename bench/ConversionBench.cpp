// The whole conversion run into a file: the load of the input, the loader
// file, the body, the header and the move into place. Each iteration
// writes a new file; removing the last one is not timed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "bench/BenchInputs.h"
#include "bench/ScratchFolder.h"
#include "tape/ConversionRun.h"
#include "tape/ReplacingOutput.h"
#include "tape/TextObserver.h"

namespace kvetro::bench {
namespace {

void ConversionIntoFile(benchmark::State& State, const TBenchInput& Input) {
  const TScratchFolder Folder;
  const std::string InputName = Folder.PathOf(Input.Name + ".mzf");
  const std::string OutputName = Folder.PathOf(Input.Name + ".wav");
  WriteInputFile(Input, InputName);
  const TConversionPlan Plan = PlanOf(Input);
  TFileOutputOpener Files;
  for (auto _ : State) {
    std::ostringstream Messages;
    TTextObserver Observer(Messages);
    TConversionRun Run(Input.Settings, Observer);
    if (Run.Execute(InputName, OutputName, Files) != TRunOutcome::Written) {
      State.SkipWithError(Messages.str().c_str());
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
