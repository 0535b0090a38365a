#include "tape/SignalTotals.h"

#include <algorithm>
#include <bit>

namespace kvetro {

namespace {

std::uint64_t Half(std::int32_t Count) {
  return static_cast<std::uint64_t>(std::max(Count, 0));
}
std::uint64_t Gap(std::int32_t Count) {
  return static_cast<std::uint64_t>(std::max(Count, 0));
}

// One framed byte: a long start pulse, then a long pulse per 1 bit and a
// short one per 0 bit.
void AddFramedByte(TPulseCount& Count, std::uint8_t Byte) {
  const auto Ones = static_cast<std::uint64_t>(std::popcount(Byte));
  Count.Long += 1 + Ones;
  Count.Short += 8 - Ones;
}

// A block of Length bytes starting at First, then its two checksum bytes.
TPulseCount BlockPulses(const TMzfImage& Image, std::int64_t First, std::int32_t Length) {
  TPulseCount Count;
  std::uint16_t Checksum = 0;
  for (std::int64_t Position = First; Position < First + Length; ++Position) {
    const std::uint8_t Byte = Image.ByteAt(Position);
    AddFramedByte(Count, Byte);
    Checksum = static_cast<std::uint16_t>(Checksum + std::popcount(Byte));
  }
  AddFramedByte(Count, static_cast<std::uint8_t>(Checksum >> 8));
  AddFramedByte(Count, static_cast<std::uint8_t>(Checksum & 0xFF));
  return Count;
}

}  // namespace

std::uint64_t TPulseCount::Samples(const PulseTiming& Timing) const {
  return Short * (Half(Timing.Log0Lo) + Half(Timing.Log0Hi)) +
         Long * (Half(Timing.Log1Lo) + Half(Timing.Log1Hi));
}

TPulseCount& TPulseCount::operator+=(const TPulseCount& Other) {
  Short += Other.Short;
  Long += Other.Long;
  return *this;
}

TPulseCount BodyRunPulses(const TMzfImage& Image, std::int32_t BodyGap, std::int32_t BodyLength) {
  // 1 long; 1000 short; the body gap; tape mark of 20 long and 20 short;
  // 1 long; the body and its checksum; 2 long end pulses.
  TPulseCount Count{1000 + Gap(BodyGap) + 20, 1 + 20 + 1 + 2};
  Count += BlockPulses(Image, TMzfImage::HeaderSize, std::clamp(BodyLength, 0, 65535));
  return Count;
}

TPulseCount FullRunPulses(const TMzfImage& Image, std::int32_t LeadGap, std::int32_t BodyGap,
                          std::int32_t BodyLength) {
  // Lead gap; tape mark of 40 long and 40 short; 1 long; the header and its
  // checksum; then everything a body run writes.
  TPulseCount Count{Gap(LeadGap) + 40, 40 + 1};
  Count += BlockPulses(Image, 0, TMzfImage::HeaderSize);
  Count += BodyRunPulses(Image, BodyGap, BodyLength);
  return Count;
}

}  // namespace kvetro
