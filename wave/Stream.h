#pragma once

#include <cstdint>
#include <limits>

namespace kvetro {

// The largest position or size of any stream. Positions are signed 32-bit,
// so every stream, and with it every wave file, stays below 2 GiB.
inline constexpr std::int64_t MaxStreamSize = std::numeric_limits<std::int32_t>::max();

// Where a Seek counts from.
inline constexpr std::uint16_t soFromBeginning = 0;
inline constexpr std::uint16_t soFromCurrent = 1;
inline constexpr std::uint16_t soFromEnd = 2;

// Where a Seek of Offset from Origin lands, before the stream applies its
// own bounds: from the beginning, from Current, or from End. Any other origin
// stays at Current. Computed in 64 bits, so that no sum overflows.
constexpr std::int64_t SeekTarget(std::int32_t Offset, std::uint16_t Origin, std::int64_t Current,
                                  std::int64_t End) {
  switch (Origin) {
    case soFromBeginning:
      return Offset;
    case soFromCurrent:
      return Current + Offset;
    case soFromEnd:
      return End + Offset;
    default:
      return Current;
  }
}

// The byte-stream base that the encoder writes through and that the wave
// streams wrap; positions and sizes go up to MaxStreamSize.
class TStream {
 public:
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;
  virtual ~TStream() = default;

  // The four primitives, in the order a derived stream overrides them.
  virtual void SetSize(std::int32_t NewSize);
  // Answers the number of bytes read, which may be fewer than Count.
  virtual std::int32_t Read(void* Buffer, std::int32_t Count) = 0;
  // Answers the number of bytes written, which may be fewer than Count.
  virtual std::int32_t Write(const void* Buffer, std::int32_t Count) = 0;
  // Answers the new position.
  virtual std::int32_t Seek(std::int32_t Offset, std::uint16_t Origin) = 0;

  std::int32_t Position();
  void SetPosition(std::int32_t Pos);
  // Asks the stream for its end and returns to where it was.
  std::int32_t Size();

  // All or nothing: raise EReadError / EWriteError when fewer than Count bytes
  // moved. A Count of 0 does nothing at all.
  void ReadBuffer(void* Buffer, std::int32_t Count);
  void WriteBuffer(const void* Buffer, std::int32_t Count);
};

}  // namespace kvetro
