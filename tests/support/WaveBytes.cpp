#include "tests/support/WaveBytes.h"

namespace kvetro::test {

void AppendId(std::vector<std::uint8_t>& Bytes, const std::string& Id) {
  Bytes.insert(Bytes.end(), Id.begin(), Id.end());
}

void AppendLe16(std::vector<std::uint8_t>& Bytes, std::uint16_t Value) {
  Bytes.push_back(static_cast<std::uint8_t>(Value & 0xFF));
  Bytes.push_back(static_cast<std::uint8_t>(Value >> 8));
}

void AppendLe32(std::vector<std::uint8_t>& Bytes, std::uint32_t Value) {
  for (int Shift = 0; Shift < 32; Shift += 8) {
    Bytes.push_back(static_cast<std::uint8_t>((Value >> Shift) & 0xFF));
  }
}

void AppendChunk(std::vector<std::uint8_t>& Bytes, const std::string& Id,
                 const std::vector<std::uint8_t>& Body) {
  AppendId(Bytes, Id);
  AppendLe32(Bytes, static_cast<std::uint32_t>(Body.size()));
  Bytes.insert(Bytes.end(), Body.begin(), Body.end());
}

std::vector<std::uint8_t> ExpectedMonoWave(const std::vector<std::uint8_t>& Samples) {
  const auto N = static_cast<std::uint32_t>(Samples.size());
  std::vector<std::uint8_t> Bytes;
  AppendId(Bytes, "RIFF");
  AppendLe32(Bytes, 38 + N);
  AppendId(Bytes, "WAVE");
  AppendId(Bytes, "fmt ");
  AppendLe32(Bytes, 18);
  AppendLe16(Bytes, 1);      // PCM
  AppendLe16(Bytes, 1);      // channels
  AppendLe32(Bytes, 44100);  // samples per second
  AppendLe32(Bytes, 44100);  // average bytes per second
  AppendLe16(Bytes, 1);      // block align
  AppendLe16(Bytes, 8);      // bits per sample
  AppendLe16(Bytes, 0);      // extra size
  AppendId(Bytes, "data");
  AppendLe32(Bytes, N);
  Bytes.insert(Bytes.end(), Samples.begin(), Samples.end());
  return Bytes;
}

}  // namespace kvetro::test
