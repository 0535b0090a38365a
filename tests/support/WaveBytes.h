#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvetro::test {

// Hand assembly of RIFF bytes for the expected files and for forged input.
void AppendId(std::vector<std::uint8_t>& Bytes, const std::string& Id);
void AppendLe16(std::vector<std::uint8_t>& Bytes, std::uint16_t Value);
void AppendLe32(std::vector<std::uint8_t>& Bytes, std::uint32_t Value);
void AppendChunk(std::vector<std::uint8_t>& Bytes, const std::string& Id,
                 const std::vector<std::uint8_t>& Body);

// The file the converter writes: 44100 Hz, 8 bits, mono, 18-byte format
// chunk, then the samples; laid out field by field from the format's table.
std::vector<std::uint8_t> ExpectedMonoWave(const std::vector<std::uint8_t>& Samples);

}  // namespace kvetro::test
