#include "tape/InputCheck.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "tape/RunMessages.h"

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

// The header may promise more body than the file holds; those bytes go out
// as zeros, which the user should hear about.
std::optional<std::string> MissingBodyWarning(const TMzfImage& Image) {
  const std::int64_t Missing = std::int64_t{Image.BodySize()} - Image.BodyBytesInFile();
  if (Missing == 0) {
    return std::nullopt;
  }
  return MissingBodyText(Image.BodySize(), Missing);
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

std::optional<std::string> TapeRefusal(const TMzfTape& Tape, TTapeLayoutChoice Layout) {
  if (Layout == TTapeLayoutChoice::FastLoader && Tape.Count() > 1) {
    return SeveralFilesText(Tape.Count());
  }
  // 64 KiB: kept off the stack.
  const auto Image = std::make_unique<TMzfImage>();
  for (std::size_t Index = 0; Index < Tape.Count(); ++Index) {
    if (Tape.Fill(Index, *Image) != TMzfImage::LoadResult::Loaded) {
      return Tape.About(Index, FileTooLargeText);
    }
    if (Image->BodySize() == 0) {
      return Tape.About(Index, BodySizeZeroText);
    }
  }
  return std::nullopt;
}

std::vector<std::string> TapeWarnings(const TMzfTape& Tape, TWarningsFor Purpose) {
  std::vector<std::string> Warnings;
  const auto Image = std::make_unique<TMzfImage>();
  for (std::size_t Index = 0; Index < Tape.Count(); ++Index) {
    Tape.Fill(Index, *Image);
    std::optional<std::string> Doubts[] = {HeaderWarning(*Image), std::nullopt};
    if (Purpose == TWarningsFor::Conversion) {
      Doubts[1] = MissingBodyWarning(*Image);
    }
    for (const std::optional<std::string>& Doubt : Doubts) {
      if (Doubt) {
        Warnings.push_back(Tape.About(Index, *Doubt));
      }
    }
    if (Purpose == TWarningsFor::Conversion && Tape.LeftOver(Index) > 0) {
      Warnings.push_back(LeftOverText(Tape.InputName(Index), Tape.LeftOver(Index)));
    }
  }
  return Warnings;
}

}  // namespace kvetro
