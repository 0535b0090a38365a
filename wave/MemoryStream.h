#pragma once

#include <cstdint>
#include <vector>

#include "wave/Stream.h"

namespace kvetro {

// A stream over a growable byte vector: the encoder's output in tests,
// benchmarks and fuzzing, and the underlying stream of in-memory waves.
// A write limit makes it behave like a device that fills up: writes past the
// limit are cut short, so WriteBuffer fails as it would on a full disk.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> Bytes) : FBytes(std::move(Bytes)) {}

  void SetSize(std::int32_t NewSize) override;
  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  // Like a file: the position may go past the end; a write there fills the
  // hole with zeros.
  std::int32_t Seek(std::int32_t Offset, std::uint16_t Origin) override;

  // At most Limit bytes in the stream; -1 (the default) for no limit.
  void SetWriteLimit(std::int32_t Limit) { FWriteLimit = Limit; }

  const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

 private:
  std::vector<std::uint8_t> FBytes;
  std::int64_t FPosition = 0;
  std::int32_t FWriteLimit = -1;
};

}  // namespace kvetro
