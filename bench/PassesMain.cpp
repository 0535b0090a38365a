// The two passes of a conversion into a WAV file, by either way of writing
// the signal, for counting their instructions under callgrind:
//
//   kvetro-bench-passes steps|render worst|typical FILE.wav
//
// "steps" is the encoder stepped pulse by pulse (each pulse a call through
// the encoder and the wave stream), "render" the renderer. Both write the
// same bytes as kvetro-cli with the case's settings; prints the sample count.
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench/BenchInputs.h"
#include "reference/TapeEncoder.h"
#include "tape/FastLoaderFile.h"
#include "tape/SignalRenderer.h"
#include "wave/WaveFileStream.h"

namespace {

using kvetro::bench::TBenchInput;

void Steps(kvetro::TStream& Output, kvetro::TMzfImage& Image, const TBenchInput& Input) {
  kvetro::TTapeEncoder Encoder(Image);
  const kvetro::TConversionSettings& Settings = Input.Settings;
  kvetro::TFixedTiming Standard(kvetro::PulseTiming::Standard(), Settings.BodyGap);
  kvetro::TFixedTiming User(Settings.UserTiming, Settings.BodyGap);
  Encoder.Attach(Output, Standard);
  Encoder.BeginFullRun(Settings.LoaderGap,
                       kvetro::BuildFastLoaderFile(Image, Settings.MonitorConstant));
  while (Encoder.Running()) {
    Encoder.Step();
  }
  Image.Assign(Input.File.data(), Input.File.size());
  Encoder.Attach(Output, User);
  Encoder.BeginBodyRun(Image.BodySize());
  while (Encoder.Running()) {
    Encoder.Step();
  }
}

void Render(kvetro::TStream& Output, kvetro::TMzfImage& Image, const TBenchInput& Input) {
  kvetro::TSignalRenderer Renderer({}, kvetro::TConversionPlan::WaveHeaderSize);
  const kvetro::TConversionSettings& Settings = Input.Settings;
  const std::uint16_t LoaderLength = kvetro::BuildFastLoaderFile(Image, Settings.MonitorConstant);
  Renderer.Run(Output, Image, kvetro::kFastLoaderFile, kvetro::PulseTiming::Standard(),
               {Settings.LoaderGap, Settings.BodyGap, LoaderLength});
  Image.Assign(Input.File.data(), Input.File.size());
  Renderer.Run(Output, Image, kvetro::kFastBodyFile, Settings.UserTiming,
               {0, Settings.BodyGap, Image.BodySize()});
}

}  // namespace

int main(int ArgumentCount, char* Arguments[]) {
  if (ArgumentCount != 4) {
    std::fprintf(stderr, "usage: kvetro-bench-passes steps|render worst|typical FILE.wav\n");
    return 2;
  }
  try {
    const std::string Way = Arguments[1];
    const std::string Case = Arguments[2];
    if ((Way != "steps" && Way != "render") || (Case != "worst" && Case != "typical")) {
      throw std::invalid_argument("unknown way or case");
    }
    const TBenchInput Input =
        Case == "worst" ? kvetro::bench::WorstCaseInput() : kvetro::bench::TypicalInput();
    auto Image = std::make_unique<kvetro::TMzfImage>();
    Image->Assign(Input.File.data(), Input.File.size());
    kvetro::TWaveFileStream Wave(Arguments[3], kvetro::fmCreate);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    if (Way == "steps") {
      Steps(Wave, *Image, Input);
    } else {
      Render(Wave, *Image, Input);
    }
    const std::int32_t Samples = Wave.GetDataSize();
    Wave.Close();
    std::printf("%d\n", Samples);
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "kvetro-bench-passes: %s\n", Error.what());
    return 1;
  }
  return 0;
}
