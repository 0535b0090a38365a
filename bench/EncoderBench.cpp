// The encoder's steps and the renderer on their own: samples into a memory
// stream, then the same through a wave stream over memory, so that the cost
// of the wave layer shows without a disk under it.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/BenchInputs.h"
#include "reference/TapeEncoder.h"
#include "tape/FastLoaderFile.h"
#include "tape/MzfImage.h"
#include "tape/SignalRenderer.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro::bench {
namespace {

// The fast loader's two passes, and the machine's own layout's one tape file
// (renderer only: the encoder's steps know the fast loader alone).
enum class TPass { Loader, Body, Standard };

// The image as the run holds it for the pass: the loader file built from the
// input, or the input itself.
std::unique_ptr<TMzfImage> ImageFor(const TBenchInput& Input, TPass Pass) {
  auto Image = std::make_unique<TMzfImage>();
  Image->Assign(Input.File.data(), Input.File.size());
  if (Pass == TPass::Loader) {
    BuildFastLoaderFile(*Image, Input.Settings.MonitorConstant);
  }
  return Image;
}

void Encode(TTapeEncoder& Encoder, const TMzfImage& Image, const TBenchInput& Input, TPass Pass) {
  if (Pass == TPass::Loader) {
    Encoder.BeginFullRun(Input.Settings.LoaderGap, Image.BodySize());
  } else {
    Encoder.BeginBodyRun(Image.BodySize());
  }
  while (Encoder.Running()) {
    Encoder.Step();
  }
}

TFixedTiming TimingFor(const TBenchInput& Input, TPass Pass) {
  const PulseTiming Timing =
      Pass == TPass::Loader ? PulseTiming::Standard() : Input.Settings.UserTiming;
  return TFixedTiming(Timing, Input.Settings.BodyGap);
}

// The memory stream is written once before the timing starts and from its
// start again in every iteration, so that no time goes to growing it.
void EncoderIntoMemory(benchmark::State& State, const TBenchInput& Input, TPass Pass) {
  const auto Image = ImageFor(Input, Pass);
  TFixedTiming Timing = TimingFor(Input, Pass);
  TMemoryStream Output;
  TTapeEncoder Encoder(*Image);
  Encoder.Attach(Output, Timing);
  Encode(Encoder, *Image, Input, Pass);
  for (auto _ : State) {
    Output.SetPosition(0);
    Encode(Encoder, *Image, Input, Pass);
    benchmark::DoNotOptimize(Output.Bytes().data());
  }
  const auto Samples = static_cast<std::int64_t>(Output.Position());
  State.counters["samples"] = static_cast<double>(Samples);
  State.SetBytesProcessed(State.iterations() * Samples);
}

// A new wave stream over the same memory stream in every iteration; the
// memory stream is emptied but keeps the room of the warm-up run. WriteSamples
// writes one pass into the wave it is given.
template <typename TWriteSamples>
void IntoWaveOverMemory(benchmark::State& State, TWriteSamples WriteSamples) {
  TMemoryStream Memory;
  std::int64_t Samples = 0;
  const auto WriteWave = [&] {
    Memory.SetSize(0);
    TWaveStream Wave(Memory);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    WriteSamples(Wave);
    Wave.Close();
    Samples = Wave.Size();
  };
  WriteWave();
  for (auto _ : State) {
    WriteWave();
    benchmark::DoNotOptimize(Memory.Bytes().data());
  }
  State.counters["samples"] = static_cast<double>(Samples);
  State.SetBytesProcessed(State.iterations() * Samples);
}

void EncoderIntoWaveOverMemory(benchmark::State& State, const TBenchInput& Input, TPass Pass) {
  const auto Image = ImageFor(Input, Pass);
  TFixedTiming Timing = TimingFor(Input, Pass);
  IntoWaveOverMemory(State, [&](TStream& Wave) {
    TTapeEncoder Encoder(*Image);
    Encoder.Attach(Wave, Timing);
    Encode(Encoder, *Image, Input, Pass);
  });
}

void Render(TSignalRenderer& Renderer, TStream& Output, const TMzfImage& Image,
            const TBenchInput& Input, TPass Pass) {
  const TRunValues Values{Input.Settings.LoaderGap, Input.Settings.BodyGap, Image.BodySize()};
  if (Pass == TPass::Loader) {
    Renderer.Run(Output, Image, kFastLoaderFile, PulseTiming::Standard(), Values);
  } else if (Pass == TPass::Body) {
    Renderer.Run(Output, Image, kFastBodyFile, Input.Settings.UserTiming, Values);
  } else {
    Renderer.Run(Output, Image, kStandardFile, Input.Settings.UserTiming, Values);
  }
}

void RendererIntoMemory(benchmark::State& State, const TBenchInput& Input, TPass Pass) {
  const auto Image = ImageFor(Input, Pass);
  TMemoryStream Output;
  TSignalRenderer Renderer;
  Render(Renderer, Output, *Image, Input, Pass);
  for (auto _ : State) {
    Output.SetPosition(0);
    Render(Renderer, Output, *Image, Input, Pass);
    benchmark::DoNotOptimize(Output.Bytes().data());
  }
  const auto Samples = static_cast<std::int64_t>(Output.Position());
  State.counters["samples"] = static_cast<double>(Samples);
  State.SetBytesProcessed(State.iterations() * Samples);
}

void RendererIntoWaveOverMemory(benchmark::State& State, const TBenchInput& Input, TPass Pass) {
  const auto Image = ImageFor(Input, Pass);
  TSignalRenderer Renderer;
  IntoWaveOverMemory(State, [&](TStream& Wave) { Render(Renderer, Wave, *Image, Input, Pass); });
}

BENCHMARK_CAPTURE(EncoderIntoMemory, worst_body, WorstCaseInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncoderIntoMemory, worst_loader, WorstCaseInput(), TPass::Loader)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncoderIntoMemory, typical_body, TypicalInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncoderIntoWaveOverMemory, worst_body, WorstCaseInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(EncoderIntoWaveOverMemory, typical_body, TypicalInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RendererIntoMemory, worst_body, WorstCaseInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RendererIntoMemory, worst_loader, WorstCaseInput(), TPass::Loader)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RendererIntoMemory, typical_body, TypicalInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RendererIntoMemory, standard_worst, StandardWorstCaseInput(), TPass::Standard)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RendererIntoWaveOverMemory, worst_body, WorstCaseInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(RendererIntoWaveOverMemory, typical_body, TypicalInput(), TPass::Body)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kvetro::bench
