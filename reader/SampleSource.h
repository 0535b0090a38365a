#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "wave/Stream.h"
#include "wave/WaveFormat.h"

namespace kvetro {

// One channel of a wave's samples as floating point in -1..1, a block at a
// time: whatever the recording's length, it holds one block of bytes and one
// of samples. The stream is the wave's data (position 0 is its first sample
// byte), not owned; a frame cut short by the end of the data is left out.
class TSampleSource {
 public:
  // The bytes read at once: a block is as many whole frames as fit, or one
  // frame when a frame is larger.
  static constexpr std::int32_t BlockBytes = 64 * 1024;
  // How much of a recording the choice of the strongest channel looks at.
  static constexpr double ChannelScanSeconds = 30;

  // Channel counts from 0 and lies below Format.Channels.
  TSampleSource(TStream& Data, const TWaveFormat& Format, std::int32_t Channel);

  // The next samples, one block's worth at most (what a stream holds so
  // far, but at least a frame); empty at the end of the data.
  // Valid until the next call.
  std::span<const float> NextBlock();
  // A recording of one channel of 8-bit samples, which NextCodes gives.
  bool Unsigned8Mono() const;
  // The next samples of such a recording as they are stored (unsigned,
  // 0x80 the middle; reader/Unsigned8Sample.h), as NextBlock would give
  // them but not converted: a reader that looks at few of them converts
  // those alone. Valid until the next call.
  std::span<const std::uint8_t> NextCodes();
  // The data ends after Bytes, though the stream goes on (a stream's
  // further chunks); by default it ends with the stream.
  void LimitTo(std::int64_t Bytes) { FBytesLeft = Bytes; }
  // Frames handed out so far.
  std::int64_t FramesRead() const { return FFrames; }

  // Samples read so far that lay at full scale (a sign of a clipped level).
  std::int64_t ClippedSamples() const { return FClipped; }

  // The channel (from 0) whose samples vary most about their mean over the
  // first ChannelScanSeconds; leaves Data at the first sample.
  static std::int32_t StrongestChannel(TStream& Data, const TWaveFormat& Format);

 private:
  // Reads the next frames into FBytes; answers how many.
  std::int32_t ReadFrames();
  // Channel of the first Frames frames of FBytes into FSamples, in -1..1;
  // answers how many lay at full scale.
  std::int64_t Decode(std::int32_t Frames, std::int32_t Channel);

  // One decoder per sample encoding, chosen once.
  using TDecoder = std::int64_t (*)(const std::uint8_t* At, std::int32_t Stride, std::int32_t Count,
                                    float* Out);
  static TDecoder DecoderFor(const TWaveFormat& Format);

  TStream& FData;
  TWaveFormat FFormat;
  std::int32_t FChannel;
  TDecoder FDecoder;
  std::vector<std::uint8_t> FBytes;
  std::vector<float> FSamples;
  std::int64_t FClipped = 0;
  std::int64_t FBytesLeft = -1;  // -1: no limit
  std::int64_t FFrames = 0;
};

}  // namespace kvetro
