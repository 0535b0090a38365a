#include "fuzz/ConversionCheck.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "tape/FastLoaderFile.h"
#include "tape/SignalRenderer.h"
#include "tape/SignalTotals.h"
#include "tape/TapeEncoder.h"
#include "wave/LittleEndian.h"
#include "wave/MemoryStream.h"
#include "wave/StreamErrors.h"
#include "wave/WaveStream.h"

namespace kvetro {

namespace {

constexpr std::uint64_t kSampleBudget = 2u << 20;

constexpr std::array<TimingBox, 4> kBoxes = {TimingBox::Log0Lo, TimingBox::Log0Hi,
                                             TimingBox::Log1Lo, TimingBox::Log1Hi};

std::string Number(std::uint64_t Value) {
  return std::to_string(Value);
}

// Steps the encoder until it stops or has taken Expected steps; answers a
// problem when the count differs.
std::string RunCounted(TTapeEncoder& Encoder, std::uint64_t Expected, const char* Name) {
  std::uint64_t Steps = 0;
  while (Encoder.Running() && Steps < Expected) {
    Encoder.Step();
    ++Steps;
  }
  if (Encoder.Running()) {
    return std::string(Name) + " still running after " + Number(Steps) + " steps";
  }
  if (Steps != Expected) {
    return std::string(Name) + " ended after " + Number(Steps) + " steps, expected " +
           Number(Expected);
  }
  return {};
}

// Samples of the first half of each pulse (LO unless the levels are swapped).
std::uint64_t FirstHalfSamples(const TPulseCount& Pulses, const PulseTiming& Timing) {
  return Pulses.Short * static_cast<std::uint64_t>(Timing.Log0Lo) +
         Pulses.Long * static_cast<std::uint64_t>(Timing.Log1Lo);
}

std::string CheckHeader(const std::vector<std::uint8_t>& Bytes, std::uint64_t DataSize) {
  static constexpr std::array<std::uint8_t, 26> kFormat = {
      'W', 'A', 'V', 'E',  'f',  'm', 't', ' ',  18,   0, 0, 0, 1,
      0,   1,   0,   0x44, 0xAC, 0,   0,   0x44, 0xAC, 0, 0, 1, 0};
  if (std::memcmp(Bytes.data(), "RIFF", 4) != 0 ||
      GetLe32(Bytes.data() + 4) != static_cast<std::uint32_t>(Bytes.size() - 8)) {
    return "RIFF header wrong";
  }
  if (std::memcmp(Bytes.data() + 8, kFormat.data(), kFormat.size()) != 0 || Bytes[34] != 8 ||
      Bytes[35] != 0 || Bytes[36] != 0 || Bytes[37] != 0) {
    return "format chunk wrong";
  }
  if (std::memcmp(Bytes.data() + 38, "data", 4) != 0 ||
      GetLe32(Bytes.data() + 42) != static_cast<std::uint32_t>(DataSize)) {
    return "data chunk header wrong";
  }
  return {};
}

std::string CheckReadBack(const std::vector<std::uint8_t>& Bytes, std::uint64_t DataSize) {
  TMemoryStream Copy(Bytes);
  TWaveStream Reader(Copy);
  Reader.Open(false);
  if (static_cast<std::uint64_t>(Reader.GetDataSize()) != DataSize) {
    return "read back " + Number(static_cast<std::uint64_t>(Reader.GetDataSize())) +
           " samples, counted " + Number(DataSize);
  }
  return {};
}

// The renderer writes both passes in large blocks; they must hold the very
// samples that the encoder's steps wrote, and an output that fills up must
// fail at the same sample.
std::string CheckRendered(const TConversionCase& Case, const TConversionSettings& Settings,
                          const std::vector<std::uint8_t>& Stepped, bool FillsUp) {
  auto Image = std::make_unique<TMzfImage>();
  Image->Assign(Case.Mzf.data(), Case.Mzf.size());
  TSignalRenderer Renderer(Case.InvertLevels ? TSampleLevels{}.Swapped() : TSampleLevels{});
  TMemoryStream Rendered;
  if (FillsUp) {
    Rendered.SetWriteLimit(static_cast<std::int32_t>(Stepped.size()));
  }
  try {
    const std::uint16_t LoaderLength = BuildFastLoaderFile(*Image, Settings.MonitorConstant);
    Renderer.FullRun(Rendered, *Image, PulseTiming::Standard(),
                     {Settings.LoaderGap, Settings.BodyGap, LoaderLength});
    Image->Assign(Case.Mzf.data(), Case.Mzf.size());
    Renderer.BodyRun(Rendered, *Image, Settings.UserTiming,
                     {0, Settings.BodyGap, Image->BodySize()});
    if (FillsUp) {
      return "rendering into a full output did not fail";
    }
  } catch (const EWriteError&) {
    if (!FillsUp) {
      return "rendering failed with room for all samples";
    }
  }
  if (Rendered.Bytes() != Stepped) {
    const auto Differ = std::mismatch(Rendered.Bytes().begin(), Rendered.Bytes().end(),
                                      Stepped.begin(), Stepped.end());
    return "rendered samples differ from the stepped ones at sample " +
           Number(static_cast<std::uint64_t>(Differ.first - Rendered.Bytes().begin()));
  }
  return {};
}

}  // namespace

std::string CheckConversion(const TConversionCase& Case) {
  auto Image = std::make_unique<TMzfImage>();
  const bool Fits = Case.Mzf.size() <= static_cast<std::size_t>(TMzfImage::MaxFileSize);
  const bool Loaded =
      Image->Assign(Case.Mzf.data(), Case.Mzf.size()) == TMzfImage::LoadResult::Loaded;
  if (Loaded != Fits) {
    return "image of " + Number(Case.Mzf.size()) + " bytes " + (Loaded ? "loaded" : "refused");
  }
  if (!Loaded) {
    return {};
  }

  TConversionSettings Settings = Case.Settings;
  TConversionPlan Plan = PlanConversion(*Image, Settings);
  if (Plan.DataSize() > kSampleBudget) {
    for (const TimingBox Box : kBoxes) {
      Settings.UserTiming.Set(Box, 1 + (Settings.UserTiming.Get(Box) - 1) % 2);
    }
    Plan = PlanConversion(*Image, Settings);
  }

  // The pulses of each pass, counted over copies of the image.
  auto Loader = std::make_unique<TMzfImage>(*Image);
  const std::uint16_t LoaderLength = BuildFastLoaderFile(*Loader, Settings.MonitorConstant);
  const TPulseCount LoaderPulses =
      FullRunPulses(*Loader, Settings.LoaderGap, Settings.BodyGap, LoaderLength);
  const TPulseCount BodyPulses = BodyRunPulses(*Image, Settings.BodyGap, Image->BodySize());

  // The samples go straight into memory, as fast as the encoder can write
  // them; the wave stream wraps them afterwards in one write.
  TMemoryStream Samples;
  const std::uint64_t DataSize = Plan.DataSize();
  const std::uint64_t FillLimit = DataSize * Case.FillPoint / 0xFFFF;
  const bool FillsUp = Case.FillUp && FillLimit < DataSize;
  if (Case.FillUp) {
    Samples.SetWriteLimit(static_cast<std::int32_t>(FillLimit));
  }
  TTapeEncoder Encoder(*Image);
  if (Case.InvertLevels) {
    Encoder.SetLevels(TTapeEncoder::HiLevel, TTapeEncoder::LoLevel);
  }
  TFixedTiming Standard(PulseTiming::Standard(), Settings.BodyGap);
  TFixedTiming User(Settings.UserTiming, Settings.BodyGap);
  try {
    Encoder.Attach(Samples, Standard);
    Encoder.BeginFullRun(Settings.LoaderGap, BuildFastLoaderFile(*Image, Settings.MonitorConstant));
    if (auto Problem = RunCounted(
            Encoder, LoaderPulses.Pulses() + StepsBeyondPulses(TPhase::LeadGap), "loader run");
        !Problem.empty()) {
      return Problem;
    }
    Image->Assign(Case.Mzf.data(), Case.Mzf.size());
    Encoder.Attach(Samples, User);
    Encoder.BeginBodyRun(Image->BodySize());
    if (auto Problem = RunCounted(
            Encoder, BodyPulses.Pulses() + StepsBeyondPulses(TPhase::BodyLead), "body run");
        !Problem.empty()) {
      return Problem;
    }
  } catch (const EWriteError& Error) {
    if (!FillsUp) {
      return "write failed with room for all " + Number(DataSize) + " samples";
    }
    if (Error.Message() != "Stream write error") {
      return "write failure says \"" + Error.Message() + "\"";
    }
    if (Samples.Bytes().size() != FillLimit) {
      return "a full output holds " + Number(Samples.Bytes().size()) + " samples, room was " +
             Number(FillLimit);
    }
    return CheckRendered(Case, Settings, Samples.Bytes(), true);
  }
  if (FillsUp) {
    return "an output with room for " + Number(FillLimit) + " of " + Number(DataSize) +
           " samples was written without a failure";
  }

  const std::vector<std::uint8_t>& Written = Samples.Bytes();
  if (Written.size() != DataSize) {
    return "wrote " + Number(Written.size()) + " samples, counted " + Number(DataSize);
  }
  if (auto Problem = CheckRendered(Case, Settings, Written, false); !Problem.empty()) {
    return Problem;
  }
  const std::uint8_t First = Case.InvertLevels ? TTapeEncoder::HiLevel : TTapeEncoder::LoLevel;
  const std::uint8_t Second = Case.InvertLevels ? TTapeEncoder::LoLevel : TTapeEncoder::HiLevel;
  std::uint64_t FirstCount = 0;
  for (std::size_t I = 0; I < Written.size(); ++I) {
    if (Written[I] == First) {
      ++FirstCount;
    } else if (Written[I] != Second) {
      return "sample " + Number(I) + " is neither level";
    }
  }
  const std::uint64_t Expected = FirstHalfSamples(LoaderPulses, PulseTiming::Standard()) +
                                 FirstHalfSamples(BodyPulses, Settings.UserTiming);
  if (FirstCount != Expected) {
    return Number(FirstCount) + " first-half samples, counted " + Number(Expected);
  }

  TMemoryStream File;
  {
    TWaveStream Wave(File);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    Wave.WriteBuffer(Written.data(), static_cast<std::int32_t>(Written.size()));
    Wave.Close();
  }
  const std::vector<std::uint8_t>& Bytes = File.Bytes();
  if (Bytes.size() != Plan.FileSize()) {
    return "WAV of " + Number(Bytes.size()) + " bytes, counted " + Number(Plan.FileSize());
  }
  if (auto Problem = CheckHeader(Bytes, DataSize); !Problem.empty()) {
    return Problem;
  }
  return CheckReadBack(Bytes, Plan.DataSize());
}

}  // namespace kvetro
