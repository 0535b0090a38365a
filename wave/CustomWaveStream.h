#pragma once

#include <cstdint>

#include "wave/Stream.h"

namespace kvetro {

// The sample data of a wave seen as a plain byte stream: position 0 is the
// first sample byte and the size is the number of sample bytes. This class
// keeps the position and clamps it to the data; the derived classes supply
// the format record and move the bytes.
class TCustomWaveStream : public TStream {
 public:
  // The length of the data follows from what was written; setting it does
  // nothing.
  void SetSize(std::int32_t NewSize) override;
  std::int32_t Read(void* Buffer, std::int32_t Count) override;
  // Not cut to the size: writing at the end makes the data longer.
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;
  // Lands in [0, size]: past the end on the end, before the start on 0.
  std::int32_t Seek(std::int32_t Offset, std::uint16_t Origin) override;

  virtual std::uint8_t* GetFormat() = 0;
  virtual std::int32_t GetFormatSize();
  // -1 means the data has no known end.
  virtual std::int32_t GetDataSize();
  virtual std::int32_t ReadWaveData(void* Buffer, std::int32_t Count);
  // Keeps the first bytes up to the smaller of the old and new sizes; 0 frees.
  virtual void SetFormatSize(std::int32_t NewSize) = 0;
  virtual std::int32_t WriteWaveData(const void* Buffer, std::int32_t Count);

  // Makes the format record an 18-byte PCM record (WAVEFORMATEX).
  void SetPCMFormat(std::int32_t SamplesPerSec, std::int32_t BitsPerSample, std::int32_t Channels);

 protected:
  // Moves the position on by what a transfer moved, within [0, 2^31 - 1].
  void Advance(std::int32_t Moved);

  std::int32_t FPosition = 0;
};

}  // namespace kvetro
