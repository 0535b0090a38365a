#include "wave/CustomWaveStream2.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/WaveBytes.h"

namespace kvetro {
namespace {

// The format record and the position logic on their own, without any
// underlying stream: the data answers "no known end" and every transfer
// takes all it is offered.
class TUnboundedWave : public TCustomWaveStream2 {
 public:
  std::int32_t ReadWaveData(void* /*Buffer*/, std::int32_t Count) override {
    LastCount = Count;
    return Count;
  }
  std::int32_t WriteWaveData(const void* /*Buffer*/, std::int32_t Count) override {
    LastCount = Count;
    return Count;
  }
  std::int32_t LastCount = 0;
};

std::vector<std::uint8_t> FormatOf(TCustomWaveStream& Stream) {
  const std::uint8_t* At = Stream.GetFormat();
  return {At, At + Stream.GetFormatSize()};
}

using test::PcmFormatRecord;

TEST(CustomWaveStreamTest, PcmFormatRecordFields) {
  TUnboundedWave Wave;
  EXPECT_EQ(Wave.GetFormat(), nullptr);
  Wave.SetPCMFormat(44100, 8, 1);
  EXPECT_EQ(Wave.GetFormatSize(), 18);
  EXPECT_EQ(FormatOf(Wave), PcmFormatRecord(1, 44100, 44100, 1, 8));

  Wave.SetPCMFormat(48000, 16, 2);
  EXPECT_EQ(FormatOf(Wave), PcmFormatRecord(2, 48000, 192000, 4, 16));

  // Only whole bytes per sample count towards the block align.
  for (std::int32_t Bits = 0; Bits < 8; ++Bits) {
    Wave.SetPCMFormat(44100, Bits, 1);
    EXPECT_EQ(FormatOf(Wave), PcmFormatRecord(1, 44100, 0, 0, static_cast<std::uint16_t>(Bits)))
        << Bits;
  }
  Wave.SetPCMFormat(44100, 12, 3);
  EXPECT_EQ(FormatOf(Wave), PcmFormatRecord(3, 44100, 132300, 3, 12));
}

TEST(CustomWaveStreamTest, PcmFormatCutsToTheWidthOfEachField) {
  TUnboundedWave Wave;
  // Channels and bits keep their low 16 bits; the block align product is
  // cut to 16 bits and the average to 32 bits.
  Wave.SetPCMFormat(-1, 0x10010, 0x30002);
  EXPECT_EQ(FormatOf(Wave), PcmFormatRecord(2, 0xFFFFFFFF, 0xFFFFFFFC, 4, 16));
  Wave.SetPCMFormat(100000, 0xFFF8, 0xFFFF);
  // 0xFFFF * 0x1FFF = 0x1FFEE001, cut to 0xE001.
  EXPECT_EQ(FormatOf(Wave), PcmFormatRecord(0xFFFF, 100000, 0xE001u * 100000u, 0xE001, 0xFFF8));
}

TEST(CustomWaveStreamTest, FormatSizeKeepsTheFirstBytesAndZeroFrees) {
  TUnboundedWave Wave;
  Wave.SetPCMFormat(44100, 8, 1);
  Wave.SetFormatSize(4);
  EXPECT_EQ(FormatOf(Wave), (std::vector<std::uint8_t>{1, 0, 1, 0}));
  Wave.SetFormatSize(6);
  EXPECT_EQ(FormatOf(Wave), (std::vector<std::uint8_t>{1, 0, 1, 0, 0, 0}));
  Wave.SetFormatSize(0);
  EXPECT_EQ(Wave.GetFormatSize(), 0);
  EXPECT_EQ(Wave.GetFormat(), nullptr);
  Wave.SetFormatSize(-5);
  EXPECT_EQ(Wave.GetFormatSize(), 0);
}

TEST(CustomWaveStreamTest, DataWithoutKnownEndPassesCountsUnchanged) {
  TUnboundedWave Wave;
  EXPECT_EQ(Wave.GetDataSize(), -1);
  std::uint8_t Buffer[1] = {};
  EXPECT_EQ(Wave.Read(Buffer, 1000), 1000);
  EXPECT_EQ(Wave.LastCount, 1000);
  EXPECT_EQ(Wave.Position(), 1000);
  EXPECT_EQ(Wave.Write(Buffer, 24), 24);
  EXPECT_EQ(Wave.Position(), 1024);
  // No end to clamp to, only the start.
  EXPECT_EQ(Wave.Seek(5000, soFromBeginning), 5000);
  EXPECT_EQ(Wave.Seek(-6000, soFromCurrent), 0);
  // A position cannot wrap past what 32 bits hold.
  EXPECT_EQ(Wave.Seek(0x7FFFFFFF, soFromBeginning), 0x7FFFFFFF);
  EXPECT_EQ(Wave.Read(Buffer, 10), 10);
  EXPECT_EQ(Wave.Position(), 0x7FFFFFFF);
}

}  // namespace
}  // namespace kvetro
