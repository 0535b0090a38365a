#include "tape/InputCheck.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kvetro {

namespace {

// "RIFF", then the 32-bit size, then "WAVE".
constexpr std::size_t RiffOffset = 0;
constexpr std::size_t WaveOffset = 8;
constexpr std::size_t RiffHeaderLength = 12;

// A body this many times longer than what the file holds after its header
// is no cut-off copy: the size field is not a body size at all.
constexpr std::int64_t ManyTimes = 4;

bool HasText(const std::uint8_t* Data, std::size_t Offset, const char (&Text)[5]) {
  return std::equal(Text, Text + 4, Data + Offset, [](char Letter, std::uint8_t Byte) {
    return static_cast<std::uint8_t>(Letter) == Byte;
  });
}

bool NameIsEnded(const TMzfImage& Image) {
  for (std::int32_t Index = 0; Index < TMzfImage::NameLength; ++Index) {
    if (Image.ByteAt(TMzfImage::NameOffset + Index) == TMzfImage::NameEnd) {
      return true;
    }
  }
  return false;
}

std::string Bytes(std::int64_t Count) {
  return std::to_string(Count) + (Count == 1 ? " byte" : " bytes");
}

}  // namespace

bool IsWaveFile(const std::uint8_t* Data, std::size_t Length) {
  return Length >= RiffHeaderLength && HasText(Data, RiffOffset, "RIFF") &&
         HasText(Data, WaveOffset, "WAVE");
}

std::optional<std::string> HeaderWarning(const TMzfImage& Image) {
  std::vector<std::string> Doubts;
  if (Image.FileLength() < TMzfImage::HeaderSize) {
    Doubts.push_back("the file holds only " + Bytes(Image.FileLength()) + " of the " +
                     std::to_string(TMzfImage::HeaderSize) + "-byte header");
  }
  if (!NameIsEnded(Image)) {
    Doubts.push_back("the name has no end mark (0x0D) within its " +
                     std::to_string(TMzfImage::NameLength) + " bytes");
  }
  const std::int64_t AfterHeader = std::max(Image.FileLength() - TMzfImage::HeaderSize, 0);
  if (Image.BodySize() > ManyTimes * AfterHeader) {
    Doubts.push_back("the body size, " + Bytes(Image.BodySize()) + ", is more than " +
                     std::to_string(ManyTimes) + " times the " + Bytes(AfterHeader) +
                     " after the header");
  }
  if (Doubts.empty()) {
    return std::nullopt;
  }
  std::string Text = "The header does not look like an MZF tape image's: ";
  for (std::size_t Index = 0; Index < Doubts.size(); ++Index) {
    Text += (Index == 0 ? "" : "; ") + Doubts[Index];
  }
  return Text;
}

}  // namespace kvetro
