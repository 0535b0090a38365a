#include "bench/BenchInputs.h"

#include <fstream>
#include <memory>
#include <stdexcept>

#include "tape/MzfImage.h"

namespace kvetro::bench {

namespace {

constexpr std::uint8_t kObjectFileType = 0x01;
constexpr std::uint16_t kProgramAddress = 0x1200;  // where MZ-700 programs usually load

std::vector<std::uint8_t> MzfFile(const std::string& TapeName, std::uint16_t BodySize,
                                  std::size_t FileLength) {
  std::vector<std::uint8_t> File(FileLength, 0);
  File[0] = kObjectFileType;
  // The monitor ends a tape name with a carriage return.
  std::size_t At = 1;
  for (const char Letter : TapeName) {
    File[At++] = static_cast<std::uint8_t>(Letter);
  }
  File[At] = 0x0D;
  const auto PutWord = [&File](std::size_t Offset, std::uint16_t Value) {
    File[Offset] = static_cast<std::uint8_t>(Value & 0xFF);
    File[Offset + 1] = static_cast<std::uint8_t>(Value >> 8);
  };
  PutWord(TMzfImage::BodySizeOffset, BodySize);
  PutWord(TMzfImage::LoadAddressOffset, kProgramAddress);
  PutWord(TMzfImage::ExecAddressOffset, kProgramAddress);
  return File;
}

// Identical pulses are refused: the short one is one sample shorter.
constexpr std::int32_t kLongestHalf = PulseHalfRange.Max;
constexpr PulseTiming kSlowestTiming{kLongestHalf, kLongestHalf - 1, kLongestHalf, kLongestHalf};
constexpr std::uint16_t kWorstBodySize = 65407;

}  // namespace

TBenchInput WorstCaseInput() {
  TBenchInput Input;
  Input.Name = "worst";
  Input.File = MzfFile("WORST CASE", kWorstBodySize, TMzfImage::MaxFileSize);
  for (std::size_t At = TMzfImage::HeaderSize; At < Input.File.size(); ++At) {
    Input.File[At] = 0xFF;
  }
  Input.Settings.UserTiming = kSlowestTiming;
  return Input;
}

TBenchInput StandardWorstCaseInput() {
  TBenchInput Input = WorstCaseInput();
  Input.Name = "standard-worst";
  Input.Settings.Layout = TTapeLayoutChoice::Standard;
  Input.Settings.UserTiming = PulseTiming::Standard();
  return Input;
}

TBenchInput TypicalInput() {
  constexpr std::uint16_t BodySize = 32 * 1024;
  TBenchInput Input;
  Input.Name = "typical";
  Input.File = MzfFile("TYPICAL", BodySize, TMzfImage::HeaderSize + BodySize);
  // Program-like bytes: a fixed linear congruential sequence, so every run
  // converts the same file.
  std::uint32_t State = 0x4B565452;
  for (std::size_t At = TMzfImage::HeaderSize; At < Input.File.size(); ++At) {
    State = State * 1664525U + 1013904223U;
    Input.File[At] = static_cast<std::uint8_t>(State >> 24);
  }
  return Input;
}

TBenchInput SizedInput(std::uint64_t TargetFileBytes) {
  TBenchInput Input = WorstCaseInput();
  Input.Name = "sized";
  // The file is loaded once to plan; each body gap pulse is one short pulse
  // at the user's timing in the body pass and one at the standard timing in
  // the loader pass.
  Input.Settings.BodyGap = 0;
  const std::uint64_t Base = PlanOf(Input).FileSize();
  const std::uint64_t PerGapPulse =
      static_cast<std::uint64_t>(kSlowestTiming.Log0Lo + kSlowestTiming.Log0Hi +
                                 PulseTiming::Standard().Log0Lo + PulseTiming::Standard().Log0Hi);
  if (TargetFileBytes > Base) {
    Input.Settings.BodyGap = static_cast<std::int32_t>((TargetFileBytes - Base) / PerGapPulse);
    return Input;
  }
  // Shorter than the full body allows: a shorter body at the same timing.
  const std::uint64_t PerBodyByte =
      9 * static_cast<std::uint64_t>(kSlowestTiming.Log1Lo + kSlowestTiming.Log1Hi);
  const std::uint64_t Removed = (Base - TargetFileBytes + PerBodyByte - 1) / PerBodyByte;
  const auto BodySize = static_cast<std::uint16_t>(
      kWorstBodySize - std::min<std::uint64_t>(Removed, kWorstBodySize - 1));
  Input.File[TMzfImage::BodySizeOffset] = static_cast<std::uint8_t>(BodySize & 0xFF);
  Input.File[TMzfImage::BodySizeOffset + 1] = static_cast<std::uint8_t>(BodySize >> 8);
  Input.File.resize(TMzfImage::HeaderSize + BodySize);
  const std::uint64_t Shorter = PlanOf(Input).FileSize();
  if (TargetFileBytes > Shorter) {
    Input.Settings.BodyGap = static_cast<std::int32_t>((TargetFileBytes - Shorter) / PerGapPulse);
  }
  return Input;
}

TConversionPlan PlanOf(const TBenchInput& Input) {
  // 64 KiB: kept off the stack.
  auto Image = std::make_unique<TMzfImage>();
  Image->Assign(Input.File.data(), Input.File.size());
  return PlanConversion(*Image, Input.Settings);
}

void WriteInputFile(const TBenchInput& Input, const std::string& FileName) {
  std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Input.File.data()),
            static_cast<std::streamsize>(Input.File.size()));
  Out.close();
  if (!Out) {
    throw std::runtime_error("cannot write " + FileName);
  }
}

}  // namespace kvetro::bench
