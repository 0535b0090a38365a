#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <stop_token>

#include "wave/Stream.h"

namespace kvetro {

// Ends a reading that the user stopped.
class EReadStopped : public std::exception {
 public:
  const char* what() const noexcept override { return "the reading was stopped"; }
};

// A recording read on a thread of its own, watched from the window: every
// read from the file tells how far into it the reading has got, in
// thousandths of its size (only when that changes), and once a stop is
// asked for, the next read raises EReadStopped instead. Only reads; the
// file is the caller's.
class TWatchedStream : public TStream {
 public:
  using TProgress = std::function<void(int Permille)>;

  TWatchedStream(TStream& File, std::stop_token Stop, TProgress Progress);

  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  std::int32_t Seek(std::int32_t Offset, std::uint16_t Origin) override;

 private:
  TStream& FFile;
  std::stop_token FStop;
  TProgress FProgress;
  std::int64_t FSize;
  std::int64_t FPosition = 0;
  int FShown = -1;
};

}  // namespace kvetro
