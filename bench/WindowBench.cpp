// The window's own conversion: the real main window, offscreen, with its
// dialogs answered in advance, converts the benchmark inputs through its
// start button handler. What this adds to the plain conversion is the
// window as the run's user: the timing boxes are read as text for every
// pulse, and pending messages are processed between the passes.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QString>
#include <filesystem>
#include <string>

#include "app/FileDialog.h"
#include "app/Form1.h"
#include "app/MessageBoxes.h"
#include "bench/BenchInputs.h"
#include "bench/ScratchFolder.h"

namespace kvetro::bench {
namespace {

constexpr TimingBox kBoxes[] = {TimingBox::Log0Lo, TimingBox::Log0Hi, TimingBox::Log1Lo,
                                TimingBox::Log1Hi};

void WindowConversion(benchmark::State& State, const TBenchInput& Input) {
  const TScratchFolder Folder;
  const std::string InputName = Folder.PathOf(Input.Name + ".mzf");
  const std::string OutputName = Folder.PathOf(Input.Name + ".wav");
  WriteInputFile(Input, InputName);
  const TConversionPlan Plan = PlanOf(Input);

  TForm1 Form1;
  Form1.show();
  QApplication::processEvents();
  for (const TimingBox Box : kBoxes) {
    Form1.WriteTiming(Box, Input.Settings.UserTiming.Get(Box));
  }
  // The gap boxes are not reachable from outside; the inputs use their
  // start values.
  if (Form1.LoaderGap() != Input.Settings.LoaderGap || Form1.BodyGap() != Input.Settings.BodyGap ||
      Form1.MonitorConstant() != Input.Settings.MonitorConstant) {
    State.SkipWithError("the window's gap boxes do not hold the input's settings");
    return;
  }

  for (auto _ : State) {
    Form1.OpenDialog().QueueAnswer(QString::fromStdString(InputName));
    Form1.SaveDialog().QueueAnswer(QString::fromStdString(OutputName));
    Form1.Button1Click();
    State.PauseTiming();
    const bool Shown = !Form1.MessageBoxes().Shown().empty();
    std::error_code Missing;
    const auto Written = std::filesystem::file_size(OutputName, Missing);
    std::filesystem::remove(OutputName, Missing);
    State.ResumeTiming();
    if (Shown) {
      State.SkipWithError(Form1.MessageBoxes().Shown().back().Text.toStdString().c_str());
      break;
    }
    if (Written != Plan.FileSize()) {
      State.SkipWithError("the file does not have the planned size");
      break;
    }
  }
  State.counters["samples"] = static_cast<double>(Plan.DataSize());
  State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(Plan.FileSize()));
}

BENCHMARK_CAPTURE(WindowConversion, worst, WorstCaseInput())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(WindowConversion, typical, TypicalInput())
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kvetro::bench

// The application object must exist before the first widget.
int main(int ArgumentCount, char* Arguments[]) {
  QApplication Application(ArgumentCount, Arguments);
  benchmark::Initialize(&ArgumentCount, Arguments);
  if (benchmark::ReportUnrecognizedArguments(ArgumentCount, Arguments)) {
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
