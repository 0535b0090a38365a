#include "reader/SampleSource.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace kvetro {

namespace {

std::int32_t SignedLe(const std::uint8_t* At, std::int32_t Bytes) {
  std::uint32_t Raw = 0;
  for (std::int32_t I = 0; I < Bytes; ++I) {
    Raw |= static_cast<std::uint32_t>(At[I]) << (8 * I);
  }
  // Left-aligned, so that every size is a 32-bit two's complement value.
  return static_cast<std::int32_t>(Raw << (32 - 8 * Bytes));
}

}  // namespace

TSampleSource::TSampleSource(TStream& Data, const TWaveFormat& Format, std::int32_t Channel)
    : FData(Data),
      FFormat(Format),
      FChannel(Channel),
      FBytes(static_cast<std::size_t>(
          std::max(BlockBytes - BlockBytes % Format.BlockAlign, Format.BlockAlign))),
      FSamples(FBytes.size() / static_cast<std::size_t>(Format.BlockAlign)) {}

std::int32_t TSampleSource::ReadFrames() {
  const auto Wanted = static_cast<std::int32_t>(FBytes.size());
  std::int32_t Got = 0;
  while (Got < Wanted) {
    const std::int32_t Moved = FData.Read(FBytes.data() + Got, Wanted - Got);
    if (Moved <= 0) {
      break;
    }
    Got += Moved;
  }
  return Got / FFormat.BlockAlign;
}

float TSampleSource::SampleAt(std::int32_t Frame, std::int32_t Channel, bool& Clipped) const {
  const std::uint8_t* At = FBytes.data() + static_cast<std::size_t>(Frame) * FFormat.BlockAlign +
                           static_cast<std::size_t>(Channel) * FFormat.BytesPerSample();
  if (FFormat.Encoding == TWaveFormat::TEncoding::Float) {
    double Value = 0;
    if (FFormat.Bits == 32) {
      float Single = 0;
      std::memcpy(&Single, At, sizeof Single);
      Value = Single;
    } else {
      std::memcpy(&Value, At, sizeof Value);
    }
    if (std::isnan(Value)) {
      return 0;
    }
    Clipped = std::fabs(Value) >= 1.0;
    return static_cast<float>(std::fmax(-1.0, std::fmin(1.0, Value)));
  }
  if (FFormat.Bits == 8) {
    // 8-bit samples are unsigned, 0x80 the middle.
    Clipped = *At == 0x00 || *At == 0xFF;
    return static_cast<float>(*At - 128) / 128.0F;
  }
  const std::int32_t Value = SignedLe(At, FFormat.BytesPerSample());
  const std::int32_t Step = 1 << (32 - FFormat.Bits);  // one unit of the container
  Clipped = Value == INT32_MIN || Value > INT32_MAX - Step;
  return static_cast<float>(static_cast<double>(Value) / 2147483648.0);
}

std::span<const float> TSampleSource::NextBlock() {
  const std::int32_t Frames = ReadFrames();
  for (std::int32_t Frame = 0; Frame < Frames; ++Frame) {
    bool Clipped = false;
    FSamples[static_cast<std::size_t>(Frame)] = SampleAt(Frame, FChannel, Clipped);
    FClipped += Clipped ? 1 : 0;
  }
  return {FSamples.data(), static_cast<std::size_t>(Frames)};
}

void TSampleSource::Rewind() {
  FData.SetPosition(0);
  FClipped = 0;
}

std::int32_t TSampleSource::StrongestChannel(TStream& Data, const TWaveFormat& Format) {
  TSampleSource Source(Data, Format, 0);
  std::vector<double> Sum(static_cast<std::size_t>(Format.Channels));
  std::vector<double> Squares(Sum.size());
  const auto FramesToScan = static_cast<std::int64_t>(ChannelScanSeconds * Format.Rate);
  std::int64_t Scanned = 0;
  while (Scanned < FramesToScan) {
    const std::int32_t Frames = Source.ReadFrames();
    if (Frames == 0) {
      break;
    }
    for (std::int32_t Frame = 0; Frame < Frames; ++Frame) {
      for (std::int32_t Channel = 0; Channel < Format.Channels; ++Channel) {
        bool Clipped = false;
        const double Value = Source.SampleAt(Frame, Channel, Clipped);
        Sum[static_cast<std::size_t>(Channel)] += Value;
        Squares[static_cast<std::size_t>(Channel)] += Value * Value;
      }
    }
    Scanned += Frames;
  }
  Data.SetPosition(0);
  std::int32_t Strongest = 0;
  double Largest = -1;
  for (std::int32_t Channel = 0; Channel < Format.Channels; ++Channel) {
    const auto C = static_cast<std::size_t>(Channel);
    const double Mean = Scanned == 0 ? 0 : Sum[C] / static_cast<double>(Scanned);
    const double Variance =
        Scanned == 0 ? 0 : Squares[C] / static_cast<double>(Scanned) - Mean * Mean;
    if (Variance > Largest) {
      Largest = Variance;
      Strongest = Channel;
    }
  }
  return Strongest;
}

}  // namespace kvetro
