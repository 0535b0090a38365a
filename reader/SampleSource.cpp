#include "reader/SampleSource.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "reader/Unsigned8Sample.h"

namespace kvetro {

namespace {

// Integer samples of Bytes bytes, little-endian and signed. Full scale is
// the container's lowest or highest value.
template <int Bytes>
std::int64_t DecodeInteger(const std::uint8_t* At, std::int32_t Stride, std::int32_t Count,
                           float* Out) {
  std::int64_t Clipped = 0;
  for (std::int32_t I = 0; I < Count; ++I, At += Stride) {
    std::uint32_t Raw = 0;
    for (int Byte = 0; Byte < Bytes; ++Byte) {
      Raw |= static_cast<std::uint32_t>(At[Byte]) << (8 * Byte);
    }
    // Left-aligned, so that every size is a 32-bit two's complement value.
    const auto Value = static_cast<std::int32_t>(Raw << (32 - 8 * Bytes));
    constexpr std::int32_t Top = INT32_MAX - ((1 << (32 - 8 * Bytes)) - 1);
    Clipped += (Value == INT32_MIN) | (Value == Top);
    Out[I] = static_cast<float>(Value) * (1.0F / 2147483648.0F);
  }
  return Clipped;
}

// Full scale for 8-bit samples: the lowest code or the highest.
std::int32_t Unsigned8Clipped(std::uint8_t Code) {
  return (Code == 0x00) | (Code == 0xFF);
}

// 8-bit samples are unsigned, 0x80 the middle. Mono samples lie side by
// side, which the compiler turns into vector code.
std::int64_t DecodeUnsigned8(const std::uint8_t* At, std::int32_t Stride, std::int32_t Count,
                             float* Out) {
  const auto Decode = [Out, At, Count](auto Step) {
    std::int32_t Clipped = 0;
    for (std::int32_t I = 0; I < Count; ++I) {
      const std::uint8_t Code = At[I * Step];
      Out[I] = Unsigned8Sample(Code);
      Clipped += Unsigned8Clipped(Code);
    }
    return Clipped;
  };
  return Stride == 1 ? Decode(std::integral_constant<std::int32_t, 1>{}) : Decode(Stride);
}

template <typename TFloat>
std::int64_t DecodeFloat(const std::uint8_t* At, std::int32_t Stride, std::int32_t Count,
                         float* Out) {
  std::int64_t Clipped = 0;
  for (std::int32_t I = 0; I < Count; ++I, At += Stride) {
    TFloat Value = 0;
    std::memcpy(&Value, At, sizeof Value);
    if (std::isnan(Value)) {
      Value = 0;
    }
    Clipped += std::fabs(Value) >= 1 ? 1 : 0;
    Out[I] = static_cast<float>(std::fmax(TFloat(-1), std::fmin(TFloat(1), Value)));
  }
  return Clipped;
}

}  // namespace

TSampleSource::TDecoder TSampleSource::DecoderFor(const TWaveFormat& Format) {
  if (Format.Encoding == TWaveFormat::TEncoding::Float) {
    return Format.Bits == 32 ? &DecodeFloat<float> : &DecodeFloat<double>;
  }
  switch (Format.Bits) {
    case 8:
      return &DecodeUnsigned8;
    case 16:
      return &DecodeInteger<2>;
    case 24:
      return &DecodeInteger<3>;
    default:
      return &DecodeInteger<4>;
  }
}

TSampleSource::TSampleSource(TStream& Data, const TWaveFormat& Format, std::int32_t Channel)
    : FData(Data),
      FFormat(Format),
      FChannel(Channel),
      FDecoder(DecoderFor(Format)),
      FBytes(static_cast<std::size_t>(
          std::max(BlockBytes - BlockBytes % Format.BlockAlign, Format.BlockAlign))),
      FSamples(FBytes.size() / static_cast<std::size_t>(Format.BlockAlign)) {}

std::int32_t TSampleSource::ReadFrames() {
  auto Wanted = static_cast<std::int32_t>(FBytes.size());
  if (FBytesLeft >= 0) {
    Wanted = static_cast<std::int32_t>(std::min<std::int64_t>(Wanted, FBytesLeft));
  }
  // A stream gives what has arrived: that is used at once, as long as it
  // makes whole frames, so that a live recording is read as it comes.
  std::int32_t Got = 0;
  while (Got < Wanted && (Got == 0 || Got % FFormat.BlockAlign != 0)) {
    const std::int32_t Moved = FData.Read(FBytes.data() + Got, Wanted - Got);
    if (Moved <= 0) {
      break;
    }
    Got += Moved;
  }
  if (FBytesLeft >= 0) {
    FBytesLeft -= Got;
  }
  return Got / FFormat.BlockAlign;
}

std::int64_t TSampleSource::Decode(std::int32_t Frames, std::int32_t Channel) {
  return FDecoder(FBytes.data() + static_cast<std::size_t>(Channel) * FFormat.BytesPerSample(),
                  FFormat.BlockAlign, Frames, FSamples.data());
}

std::span<const float> TSampleSource::NextBlock() {
  const std::int32_t Frames = ReadFrames();
  FClipped += Decode(Frames, FChannel);
  FFrames += Frames;
  return {FSamples.data(), static_cast<std::size_t>(Frames)};
}

bool TSampleSource::Unsigned8Mono() const {
  return FFormat.Encoding != TWaveFormat::TEncoding::Float && FFormat.Bits == 8 &&
         FFormat.BlockAlign == 1;
}

std::span<const std::uint8_t> TSampleSource::NextCodes() {
  const std::int32_t Frames = ReadFrames();
  // Counted in a byte, a run at a time, which the compiler turns into vector
  // code that takes sixteen at once: the run is as many sixteens as a byte
  // counts.
  constexpr std::int32_t Run = 240;
  for (std::int32_t First = 0; First < Frames; First += Run) {
    const std::uint8_t* const At = FBytes.data() + First;
    const std::int32_t Count = std::min(Run, Frames - First);
    std::uint8_t Clipped = 0;
    for (std::int32_t I = 0; I < Count; ++I) {
      Clipped += static_cast<std::uint8_t>(Unsigned8Clipped(At[I]));
    }
    FClipped += Clipped;
  }
  FFrames += Frames;
  return {FBytes.data(), static_cast<std::size_t>(Frames)};
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
    for (std::int32_t Channel = 0; Channel < Format.Channels; ++Channel) {
      Source.Decode(Frames, Channel);
      for (std::int32_t Frame = 0; Frame < Frames; ++Frame) {
        const double Value = Source.FSamples[static_cast<std::size_t>(Frame)];
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
