#include "tape/MzfTape.h"

#include <utility>

#include "io/PlatformInputFile.h"
#include "tape/InputCheck.h"

namespace kvetro {

namespace {

constexpr std::size_t HeaderSize = TMzfImage::HeaderSize;

// The body size in the header at Start; bytes past the end read as zeros.
std::size_t BodySizeAt(const std::vector<std::uint8_t>& Bytes, std::size_t Start) {
  const auto At = [&Bytes, Start](std::size_t Offset) -> std::size_t {
    return Start + Offset < Bytes.size() ? Bytes[Start + Offset] : 0;
  };
  const auto Offset = static_cast<std::size_t>(TMzfImage::BodySizeOffset);
  return At(Offset) | At(Offset + 1) << 8;
}

}  // namespace

TMzfTape::TAddResult TMzfTape::Add(TTapeInput Input) {
  const std::vector<std::uint8_t>& Bytes = Input.Bytes;
  if (IsWaveFile(Bytes.data(), Bytes.size())) {
    return TAddResult::WaveFile;
  }
  if (Bytes.size() >= MaxInputSize) {
    return TAddResult::TooLarge;
  }
  const std::size_t Index = FInputs.size();
  std::size_t Start = 0;
  while (true) {
    const std::size_t Rest = Bytes.size() - Start;
    const std::size_t Wanted = HeaderSize + BodySizeAt(Bytes, Start);
    // The last image: its body runs to the end of the file or past it, or
    // what follows it is too short for another header.
    if (Rest < Wanted + HeaderSize) {
      FImages.push_back({Index, Start, Rest, Rest > Wanted ? Rest - Wanted : 0});
      break;
    }
    FImages.push_back({Index, Start, Wanted, 0});
    Start += Wanted;
  }
  FInputs.push_back(std::move(Input));
  return TAddResult::Added;
}

TMzfTape::TAddResult TMzfTape::AddFile(const std::string& FileName) {
  // As many bytes as the smallest input refused: enough to tell a longer
  // one, and a WAV file by its first bytes.
  return Add({FileName, ReadFileStart(FileName, MaxInputSize)});
}

std::span<const std::uint8_t> TMzfTape::Bytes(std::size_t Index) const {
  const TImage& Image = FImages.at(Index);
  return std::span(FInputs[Image.Input].Bytes).subspan(Image.Start, Image.Length);
}

const std::string& TMzfTape::InputName(std::size_t Index) const {
  return FInputs[FImages.at(Index).Input].Name;
}

TMzfImage::LoadResult TMzfTape::Fill(std::size_t Index, TMzfImage& Image) const {
  const std::span<const std::uint8_t> Held = Bytes(Index);
  return Image.AssignImage(Held.data(), Held.size());
}

std::string TMzfTape::Label(std::size_t Index) const {
  return "File " + std::to_string(Index + 1) + " of " + std::to_string(Count()) + " (" +
         InputName(Index) + ")";
}

std::string TMzfTape::About(std::size_t Index, const std::string& Text) const {
  return Count() == 1 ? Text : Label(Index) + ": " + Text;
}

}  // namespace kvetro
