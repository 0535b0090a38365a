#include "fuzz/ConversionCase.h"

#include <array>

namespace kvetro {

namespace {

constexpr std::array<TimingBox, 4> kBoxes = {TimingBox::Log0Lo, TimingBox::Log0Hi,
                                             TimingBox::Log1Lo, TimingBox::Log1Hi};
constexpr std::uint8_t kInvertFlag = 0x01;
constexpr std::uint8_t kFillUpFlag = 0x02;
constexpr int kLayoutShift = 2;
constexpr int kRateShift = 4;
constexpr std::uint8_t kTwoBits = 0x03;

TTapeLayoutChoice LayoutOf(std::uint8_t Flags) {
  switch ((Flags >> kLayoutShift) & kTwoBits) {
    case 1:
      return TTapeLayoutChoice::Standard;
    case 2:
      return TTapeLayoutChoice::StandardNoCopies;
    default:
      return TTapeLayoutChoice::FastLoader;
  }
}

std::uint8_t LayoutBits(TTapeLayoutChoice Layout) {
  const std::uint8_t Index = Layout == TTapeLayoutChoice::Standard           ? 1
                             : Layout == TTapeLayoutChoice::StandardNoCopies ? 2
                                                                             : 0;
  return static_cast<std::uint8_t>(Index << kLayoutShift);
}

std::uint8_t RateBits(std::int32_t Rate) {
  for (std::uint8_t Index = 0; Index < 4; ++Index) {
    if (TConversionCase::Rates[Index] == Rate) {
      return static_cast<std::uint8_t>(Index << kRateShift);
    }
  }
  return 0;
}

// A byte taken into a range, and the byte that gives a value of the range.
std::int32_t Within(TSettingRange Range, std::uint8_t Byte) {
  return Range.Min + Byte % (Range.Max - Range.Min + 1);
}
std::uint8_t ByteFor(TSettingRange Range, std::int32_t Value) {
  return static_cast<std::uint8_t>((Value - Range.Min) % (Range.Max - Range.Min + 1));
}

std::uint16_t Le16(const std::uint8_t* At) {
  return static_cast<std::uint16_t>(At[0] | (At[1] << 8));
}

void StoreLe16(std::vector<std::uint8_t>& Out, std::size_t At, std::uint16_t Value) {
  Out[At] = static_cast<std::uint8_t>(Value & 0xFF);
  Out[At + 1] = static_cast<std::uint8_t>(Value >> 8);
}

}  // namespace

TConversionCase TConversionCase::Decode(const std::uint8_t* Data, std::size_t Size) {
  // A short input reads as if padded with zeros.
  std::array<std::uint8_t, SettingsSize> S{};
  for (std::size_t I = 0; I < SettingsSize && I < Size; ++I) {
    S[I] = Data[I];
  }
  TConversionCase Case;
  for (std::size_t I = 0; I < kBoxes.size(); ++I) {
    Case.Settings.UserTiming.Set(kBoxes[I], Within(PulseHalfRange, S[I]));
  }
  Case.Settings.MonitorConstant = Within(MonitorConstantRange, S[4]);
  Case.Settings.LoaderGap = Le16(&S[5]) % (MaxGap + 1);
  Case.Settings.BodyGap = Le16(&S[7]) % (MaxGap + 1);
  Case.Settings.InvertLevels = (S[9] & kInvertFlag) != 0;
  Case.FillUp = (S[9] & kFillUpFlag) != 0;
  Case.Settings.Layout = LayoutOf(S[9]);
  Case.Settings.SampleRate = Rates[(S[9] >> kRateShift) & kTwoBits];
  Case.FillPoint = Le16(&S[10]);
  if (Size > SettingsSize) {
    Case.Mzf.assign(Data + SettingsSize, Data + Size);
  }
  return Case;
}

std::vector<std::uint8_t> TConversionCase::Encode() const {
  std::vector<std::uint8_t> Out(SettingsSize, 0);
  for (std::size_t I = 0; I < kBoxes.size(); ++I) {
    Out[I] = ByteFor(PulseHalfRange, Settings.UserTiming.Get(kBoxes[I]));
  }
  Out[4] = ByteFor(MonitorConstantRange, Settings.MonitorConstant);
  StoreLe16(Out, 5, static_cast<std::uint16_t>(Settings.LoaderGap));
  StoreLe16(Out, 7, static_cast<std::uint16_t>(Settings.BodyGap));
  Out[9] = static_cast<std::uint8_t>((Settings.InvertLevels ? kInvertFlag : 0) |
                                     (FillUp ? kFillUpFlag : 0) | LayoutBits(Settings.Layout) |
                                     RateBits(Settings.SampleRate));
  StoreLe16(Out, 10, FillPoint);
  Out.insert(Out.end(), Mzf.begin(), Mzf.end());
  return Out;
}

}  // namespace kvetro
