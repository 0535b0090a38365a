#include "tests/support/WaveBytes.h"

namespace kvetro::test {

void AppendId(TBytes& Bytes, const std::string& Id) {
  Bytes.insert(Bytes.end(), Id.begin(), Id.end());
}

void AppendLe16(TBytes& Bytes, std::uint16_t Value) {
  Bytes.push_back(static_cast<std::uint8_t>(Value & 0xFF));
  Bytes.push_back(static_cast<std::uint8_t>(Value >> 8));
}

void AppendLe32(TBytes& Bytes, std::uint32_t Value) {
  for (int Shift = 0; Shift < 32; Shift += 8) {
    Bytes.push_back(static_cast<std::uint8_t>((Value >> Shift) & 0xFF));
  }
}

TBytes ChunkHeader(const std::string& Id, std::uint32_t Size) {
  TBytes Header;
  AppendId(Header, Id);
  AppendLe32(Header, Size);
  return Header;
}

void AppendChunk(TBytes& Bytes, const std::string& Id, const TBytes& Body) {
  const TBytes Header = ChunkHeader(Id, static_cast<std::uint32_t>(Body.size()));
  Bytes.insert(Bytes.end(), Header.begin(), Header.end());
  Bytes.insert(Bytes.end(), Body.begin(), Body.end());
}

TBytes RiffHeader(std::uint32_t Size) {
  TBytes Bytes = ChunkHeader("RIFF", Size);
  AppendId(Bytes, "WAVE");
  return Bytes;
}

TBytes PcmFormatRecord(std::uint16_t Channels, std::uint32_t Rate, std::uint32_t AverageBytes,
                       std::uint16_t BlockAlign, std::uint16_t Bits) {
  TBytes Bytes;
  AppendLe16(Bytes, 1);  // PCM
  AppendLe16(Bytes, Channels);
  AppendLe32(Bytes, Rate);
  AppendLe32(Bytes, AverageBytes);
  AppendLe16(Bytes, BlockAlign);
  AppendLe16(Bytes, Bits);
  AppendLe16(Bytes, 0);  // extra size
  return Bytes;
}

TBytes ExpectedMonoWave(const TBytes& Samples, std::uint32_t Rate) {
  TBytes Bytes = RiffHeader(static_cast<std::uint32_t>(38 + Samples.size()));
  AppendChunk(Bytes, "fmt ", PcmFormatRecord(1, Rate, Rate, 1, 8));
  AppendChunk(Bytes, "data", Samples);
  return Bytes;
}

std::uint32_t LittleEndian32(const TBytes& Bytes, std::size_t Offset) {
  return static_cast<std::uint32_t>(Bytes.at(Offset)) |
         static_cast<std::uint32_t>(Bytes.at(Offset + 1)) << 8 |
         static_cast<std::uint32_t>(Bytes.at(Offset + 2)) << 16 |
         static_cast<std::uint32_t>(Bytes.at(Offset + 3)) << 24;
}

}  // namespace kvetro::test
