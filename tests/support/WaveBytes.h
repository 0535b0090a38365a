#pragma once

#include <cstdint>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace kvetro::test {

// Hand assembly of RIFF bytes for the expected files and for forged input.
void AppendId(TBytes& Bytes, const std::string& Id);
void AppendLe16(TBytes& Bytes, std::uint16_t Value);
void AppendLe32(TBytes& Bytes, std::uint32_t Value);
// A chunk header (ID, then a size that need not be true) and a whole chunk.
TBytes ChunkHeader(const std::string& Id, std::uint32_t Size);
void AppendChunk(TBytes& Bytes, const std::string& Id, const TBytes& Body);
// "RIFF", Size, "WAVE": the first 12 bytes of a wave.
TBytes RiffHeader(std::uint32_t Size);
// The 18-byte PCM format record, field by field.
TBytes PcmFormatRecord(std::uint16_t Channels, std::uint32_t Rate, std::uint32_t AverageBytes,
                       std::uint16_t BlockAlign, std::uint16_t Bits);

// The file the converter writes: 44100 Hz, 8 bits, mono, 18-byte format
// chunk, then the samples; laid out field by field from the format's table.
TBytes ExpectedMonoWave(const TBytes& Samples, std::uint32_t Rate = 44100);

// A 32-bit little-endian field, such as a RIFF size.
std::uint32_t LittleEndian32(const TBytes& Bytes, std::size_t Offset);

}  // namespace kvetro::test
