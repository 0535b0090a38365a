#pragma once

#include <cstdint>
#include <functional>

#include "io/PlatformFile.h"
#include "wave/Stream.h"

namespace kvetro {

// An input read as it arrives, strictly forward (standard input, a named
// pipe, a device): a Read answers what has come so far, waiting only while
// nothing has, so that a reader keeps up with a live recording. It cannot
// seek or be written; its position counts the bytes read, its size is not
// known (the position stands for it). A failure of the input ends it as its
// end does. Owns the input.
class TArrivingStream : public TStream {
 public:
  // Stop, asked while the input is silent, ends it early (see
  // io/PlatformInputStream.h's ReadArrived).
  explicit TArrivingStream(TFileHandle Input, std::function<bool()> Stop = {})
      : FInput(std::move(Input)), FStop(std::move(Stop)) {}

  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  // Stays where it is, whatever is asked, and answers where that is.
  std::int32_t Seek(std::int32_t Offset, std::uint16_t Origin) override;

 private:
  TFileHandle FInput;
  std::function<bool()> FStop;
  std::int64_t FPosition = 0;
};

}  // namespace kvetro
