#include "wave/Stream.h"

#include "io/StreamErrors.h"

namespace kvetro {

void TStream::SetSize(std::int32_t /*NewSize*/) {}

std::int32_t TStream::Position() {
  return Seek(0, soFromCurrent);
}

void TStream::SetPosition(std::int32_t Pos) {
  Seek(Pos, soFromBeginning);
}

std::int32_t TStream::Size() {
  const std::int32_t Remembered = Seek(0, soFromCurrent);
  const std::int32_t Result = Seek(0, soFromEnd);
  Seek(Remembered, soFromBeginning);
  return Result;
}

void TStream::ReadBuffer(void* Buffer, std::int32_t Count) {
  if (Count != 0 && Read(Buffer, Count) != Count) {
    throw EReadError();
  }
}

void TStream::WriteBuffer(const void* Buffer, std::int32_t Count) {
  if (Count != 0 && Write(Buffer, Count) != Count) {
    throw EWriteError();
  }
}

}  // namespace kvetro
