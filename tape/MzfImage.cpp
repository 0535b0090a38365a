#include "tape/MzfImage.h"

#include <cstring>

#include "io/PlatformInputFile.h"
#include "tape/InputCheck.h"

namespace kvetro {

TMzfImage::LoadResult TMzfImage::LoadFromFile(const std::string& FileName) {
  // One byte more than the largest file shows a longer one; its first bytes
  // still tell a WAV file.
  const std::vector<std::uint8_t> Bytes =
      ReadFileStart(FileName, static_cast<std::size_t>(MaxFileSize) + 1);
  return Assign(Bytes.data(), Bytes.size());
}

TMzfImage::LoadResult TMzfImage::Assign(const std::uint8_t* Data, std::size_t Length) {
  if (IsWaveFile(Data, Length)) {
    return LoadResult::WaveFile;
  }
  return AssignImage(Data, Length);
}

TMzfImage::LoadResult TMzfImage::AssignImage(const std::uint8_t* Data, std::size_t Length) {
  if (Length > static_cast<std::size_t>(MaxFileSize)) {
    return LoadResult::TooLarge;
  }
  FBytes.fill(0);
  if (Length > 0) {
    std::memcpy(FBytes.data(), Data, Length);
  }
  FFileLength = static_cast<std::int32_t>(Length);
  return LoadResult::Loaded;
}

std::uint16_t TMzfImage::Word(std::int32_t Offset) const {
  return static_cast<std::uint16_t>(ByteAt(Offset) | (ByteAt(Offset + 1) << 8));
}

void TMzfImage::SetWord(std::int32_t Offset, std::uint16_t Value) {
  SetByte(Offset, static_cast<std::uint8_t>(Value & 0xFF));
  SetByte(Offset + 1, static_cast<std::uint8_t>(Value >> 8));
}

}  // namespace kvetro
