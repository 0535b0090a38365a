#include "fuzz/ConversionCheck.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "io/StreamErrors.h"
#include "reference/TapeEncoder.h"
#include "tape/ConversionPlan.h"
#include "tape/ConversionRun.h"
#include "tape/FastLoaderFile.h"
#include "tape/InputCheck.h"
#include "tape/MemoryOutput.h"
#include "tape/SettingsCheck.h"
#include "tape/SignalTotals.h"
#include "wave/LittleEndian.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro {

namespace {

constexpr std::uint64_t kSampleBudget = 2u << 20;
constexpr const char* kOutputName = "fuzz.wav";

constexpr std::array<TimingBox, 4> kBoxes = {TimingBox::Log0Lo, TimingBox::Log0Hi,
                                             TimingBox::Log1Lo, TimingBox::Log1Hi};

// Keeps the refusals of a run.
class TRefusals : public TConversionObserver {
 public:
  void Refused(const std::string& Text) override { Texts.push_back(Text); }

  std::vector<std::string> Texts;
};

std::string Number(std::uint64_t Value) {
  return std::to_string(Value);
}

// The case's MZF file, for the run to load; removed again afterwards.
class TInputFile {
 public:
  explicit TInputFile(const std::vector<std::uint8_t>& Bytes)
      : FName((std::filesystem::temp_directory_path() /
               ("kvetro-fuzz-" + std::to_string(getpid()) + ".mzf"))
                  .string()) {
    std::ofstream(FName, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()),
               static_cast<std::streamsize>(Bytes.size()));
  }
  ~TInputFile() { std::filesystem::remove(FName); }
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  const std::string& Name() const { return FName; }

 private:
  std::string FName;
};

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

// The run writes both passes in large blocks; they must hold the very samples
// that the encoder's steps write, one pulse at a time, and each encoder run
// must end after exactly its counted pulses plus one step per counted phase.
std::string CheckAgainstSteps(const TConversionCase& Case, const TConversionSettings& Settings,
                              const TPulseCount& LoaderPulses, const TPulseCount& BodyPulses,
                              const std::vector<std::uint8_t>& Written) {
  auto Image = std::make_unique<TMzfImage>();
  Image->Assign(Case.Mzf.data(), Case.Mzf.size());
  auto Loader = std::make_unique<TMzfImage>(*Image);
  const std::uint16_t LoaderLength = BuildFastLoaderFile(*Loader, Settings.MonitorConstant);
  TMemoryStream Stepped;
  TFixedTiming Standard(PulseTiming::Standard().AtRate(Settings.SampleRate), Settings.BodyGap);
  TFixedTiming User(Settings.UserTiming.AtRate(Settings.SampleRate), Settings.BodyGap);
  TTapeEncoder LoaderEncoder(*Loader);
  TTapeEncoder BodyEncoder(*Image);
  if (Case.Settings.InvertLevels) {
    LoaderEncoder.SetLevels(TTapeEncoder::HiLevel, TTapeEncoder::LoLevel);
    BodyEncoder.SetLevels(TTapeEncoder::HiLevel, TTapeEncoder::LoLevel);
  }
  LoaderEncoder.Attach(Stepped, Standard);
  LoaderEncoder.BeginFullRun(Settings.LoaderGap, LoaderLength);
  if (auto Problem = RunCounted(
          LoaderEncoder, LoaderPulses.Pulses() + StepsBeyondPulses(kFastLoaderFile), "loader run");
      !Problem.empty()) {
    return Problem;
  }
  BodyEncoder.Attach(Stepped, User);
  BodyEncoder.BeginBodyRun(Image->BodySize());
  if (auto Problem = RunCounted(BodyEncoder, BodyPulses.Pulses() + StepsBeyondPulses(kFastBodyFile),
                                "body run");
      !Problem.empty()) {
    return Problem;
  }
  if (Stepped.Bytes() != Written) {
    const auto Differ = std::mismatch(Written.begin(), Written.end(), Stepped.Bytes().begin(),
                                      Stepped.Bytes().end());
    return "written samples differ from the stepped ones at sample " +
           Number(static_cast<std::uint64_t>(Differ.first - Written.begin()));
  }
  return {};
}

// Samples of the first half of each pulse (LO unless the levels are swapped).
std::uint64_t FirstHalfSamples(const TPulseCount& Pulses, const PulseTiming& Timing) {
  return Pulses.Short * static_cast<std::uint64_t>(Timing.Log0Lo) +
         Pulses.Long * static_cast<std::uint64_t>(Timing.Log1Lo);
}

std::string CheckHeader(const std::vector<std::uint8_t>& Bytes, std::uint64_t DataSize,
                        std::int32_t Rate) {
  // 8-bit mono: as many bytes a second as samples.
  const auto R = static_cast<std::uint32_t>(Rate);
  const auto Byte = [R](int Shift) { return static_cast<std::uint8_t>((R >> Shift) & 0xFF); };
  const std::array<std::uint8_t, 26> kFormat = {
      'W',      'A',      'V',     'E',     'f',      'm',      't', ' ',     18,
      0,        0,        0,       1,       0,        1,        0,   Byte(0), Byte(8),
      Byte(16), Byte(24), Byte(0), Byte(8), Byte(16), Byte(24), 1,   0};
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

}  // namespace

std::string CheckConversion(const TConversionCase& Case) {
  // The input is a tape of one or more files; what the run refuses is
  // refused once, and nothing is committed.
  TMzfTape Tape;
  TConversionSettings Settings = Case.Settings;
  const bool Added = Tape.Add({"fuzz.mzf", Case.Mzf}) == TMzfTape::TAddResult::Added;
  if (!Added || SettingsRefusal(Settings) || TapeRefusal(Tape, Settings.Layout)) {
    const TInputFile Input(Case.Mzf);
    TRefusals Refusals;
    TConversionRun Run(Settings, Refusals);
    TMemoryOutputs Outputs;
    const TRunOutcome Outcome = Run.Execute(Input.Name(), kOutputName, Outputs);
    return Outcome == TRunOutcome::Refused && Refusals.Texts.size() == 1 &&
                   !Outputs.Latest().Committed
               ? std::string()
               : "bad settings or a tape that cannot be sent were not refused";
  }

  TConversionPlan Plan = PlanConversion(Tape, Settings);
  if (Plan.DataSize() > kSampleBudget) {
    // Halves of one or two samples, the long pulse's HI lengthened until
    // the two pulses stay apart at the case's rate.
    for (const TimingBox Box : kBoxes) {
      Settings.UserTiming.Set(Box, 1 + (Settings.UserTiming.Get(Box) - 1) % 2);
    }
    while (SettingsRefusal(Settings) && Settings.UserTiming.Log1Hi < PulseHalfRange.Max) {
      ++Settings.UserTiming.Log1Hi;
    }
    Plan = PlanConversion(Tape, Settings);
  }

  // The pulses of each tape file, counted over the images the plan names,
  // and the samples of their first halves.
  auto Image = std::make_unique<TMzfImage>();
  auto Loader = std::make_unique<TMzfImage>();
  std::vector<TPulseCount> FilePulses;
  std::uint64_t FirstHalves = 0;
  for (const TPlannedFile& File : Plan.Files) {
    Tape.Fill(File.Image, *Image);
    const TMzfImage& Source = PlannedImage(File, *Image, Settings.MonitorConstant, *Loader);
    FilePulses.push_back(RunPulses(Source, File.Layout, File.Values));
    FirstHalves += FirstHalfSamples(FilePulses.back(), File.Timing);
  }

  const std::uint64_t FileSize = Plan.FileSize();
  const std::uint64_t FillLimit = FileSize * Case.FillPoint / 0xFFFF;
  const bool FillsUp = Case.FillUp && FillLimit < FileSize;
  TMemoryOutputs Outputs(Case.FillUp ? static_cast<std::int32_t>(FillLimit) : -1);
  const TInputFile Input(Case.Mzf);
  TRefusals Refusals;
  TConversionRun Run(Settings, Refusals);
  TRunOutcome Outcome = TRunOutcome::Refused;
  try {
    Outcome = Run.Execute(Input.Name(), kOutputName, Outputs);
  } catch (const EWriteError& Error) {
    if (!FillsUp) {
      return "write failed with room for all " + Number(FileSize) + " bytes: " + Error.Message();
    }
    const std::string Expected =
        std::string("Cannot write ") + kOutputName + ": No space left on device";
    if (Error.Message() != Expected) {
      return "write failure says \"" + Error.Message() + "\"";
    }
    const TMemoryOutputs::TRecord& Full = Outputs.Latest();
    if (Full.Committed || Full.Bytes.size() != FillLimit) {
      return "a full output holds " + Number(Full.Bytes.size()) + " bytes, room was " +
             Number(FillLimit) + (Full.Committed ? ", and was committed" : "");
    }
    return {};
  }
  if (Outcome != TRunOutcome::Written || !Refusals.Texts.empty()) {
    return "the run did not write: " + (Refusals.Texts.empty() ? "" : Refusals.Texts.front());
  }
  if (FillsUp) {
    return "an output with room for " + Number(FillLimit) + " of " + Number(FileSize) +
           " bytes was written without a failure";
  }
  const TMemoryOutputs::TRecord& Wave = Outputs.Latest();
  if (!Wave.Committed || Wave.AnnouncedSize != FileSize || Wave.Name != kOutputName) {
    return "the output was not announced and committed as planned";
  }
  const std::vector<std::uint8_t>& Bytes = Wave.Bytes;
  if (Bytes.size() != FileSize) {
    return "WAV of " + Number(Bytes.size()) + " bytes, counted " + Number(FileSize);
  }
  const std::uint64_t DataSize = Plan.DataSize();
  if (auto Problem = CheckHeader(Bytes, DataSize, Settings.SampleRate); !Problem.empty()) {
    return Problem;
  }
  const std::vector<std::uint8_t> Written(Bytes.begin() + TConversionPlan::WaveHeaderSize,
                                          Bytes.end());
  const std::uint8_t First =
      Case.Settings.InvertLevels ? TTapeEncoder::HiLevel : TTapeEncoder::LoLevel;
  const std::uint8_t Second =
      Case.Settings.InvertLevels ? TTapeEncoder::LoLevel : TTapeEncoder::HiLevel;
  std::uint64_t FirstCount = 0;
  for (std::size_t I = 0; I < Written.size(); ++I) {
    if (Written[I] == First) {
      ++FirstCount;
    } else if (Written[I] != Second) {
      return "sample " + Number(I) + " is neither level";
    }
  }
  if (FirstCount != FirstHalves) {
    return Number(FirstCount) + " first-half samples, counted " + Number(FirstHalves);
  }

  // The step encoder knows the fast loader's layout only.
  if (Settings.Layout == TTapeLayoutChoice::FastLoader) {
    if (auto Problem = CheckAgainstSteps(Case, Settings, FilePulses[0], FilePulses[1], Written);
        !Problem.empty()) {
      return Problem;
    }
  }
  return CheckReadBack(Bytes, Plan.DataSize());
}

}  // namespace kvetro
