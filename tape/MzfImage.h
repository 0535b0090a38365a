#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace kvetro {

// The program's one input buffer: an MZF tape image as it lies on disk, a
// 128-byte header followed by the body. The header starts with the file type
// and the file's name, up to 17 bytes ended by a carriage return (0x0D) as
// the monitor writes it; its 16-bit fields are little-endian: body size at
// 0x12, load address at 0x14, execution address at 0x16.
class TMzfImage {
 public:
  static constexpr std::int32_t Capacity = 65536;
  static constexpr std::int32_t HeaderSize = 128;
  static constexpr std::int32_t MaxFileSize = Capacity - 1;  // "smaller than 64KB"
  static constexpr std::int32_t NameOffset = 0x01;
  static constexpr std::int32_t NameLength = 17;
  static constexpr std::uint8_t NameEnd = 0x0D;
  static constexpr std::int32_t BodySizeOffset = 0x12;
  static constexpr std::int32_t LoadAddressOffset = 0x14;
  static constexpr std::int32_t ExecAddressOffset = 0x16;

  // WaveFile: a RIFF/WAVE file, a recording rather than a tape image, of
  // whatever size; it is never loaded.
  enum class LoadResult { Loaded, TooLarge, WaveFile };

  // Reads the whole named file into the buffer. A WAV file is refused as
  // WaveFile, a file of 65536 bytes or more as TooLarge; the buffer then
  // stays as it was. Otherwise the
  // buffer afterwards holds exactly the file followed by zeros, so nothing of
  // an earlier file or of a loader build can reach the tape.
  // Raises EInOutError, naming the file and the reason, when it cannot be
  // read or is no regular file (a folder, a pipe, a device); the buffer then
  // stays as it was.
  LoadResult LoadFromFile(const std::string& FileName);

  // The length of the file of the last successful load (0 before any).
  std::int32_t FileLength() const { return FFileLength; }

  std::uint16_t BodySize() const { return Word(BodySizeOffset); }
  // How many of the header's body bytes the file of the last load really
  // held; the rest go to tape as zeros.
  std::int32_t BodyBytesInFile() const {
    return std::min<std::int32_t>(std::max(FFileLength - HeaderSize, 0), BodySize());
  }
  std::uint16_t Word(std::int32_t Offset) const;
  void SetWord(std::int32_t Offset, std::uint16_t Value);

  // Any position may be asked for: those outside the buffer read as 0x00,
  // like the bytes a file does not cover.
  std::uint8_t ByteAt(std::int64_t Position) const {
    return Position >= 0 && Position < Capacity ? FBytes[static_cast<std::size_t>(Position)] : 0;
  }
  void SetByte(std::int32_t Position, std::uint8_t Value) {
    FBytes.at(static_cast<std::size_t>(Position)) = Value;
  }

  const std::array<std::uint8_t, Capacity>& Bytes() const { return FBytes; }
  // Puts the given bytes at the start and zeros after them, as a load does.
  // Refuses what a load refuses.
  LoadResult Assign(const std::uint8_t* Data, std::size_t Length);
  // The same for one image of a tape file (tape/MzfTape.h): only a whole
  // file is told for a WAV by its first bytes, so this refuses only TooLarge.
  LoadResult AssignImage(const std::uint8_t* Data, std::size_t Length);

 private:
  std::array<std::uint8_t, Capacity> FBytes{};
  std::int32_t FFileLength = 0;
};

}  // namespace kvetro
