#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/ExpectError.h"
#include "tests/support/WaveBytes.h"
#include "wave/MemoryStream.h"
#include "wave/WaveFileStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {
namespace {

using test::ExpectedMonoWave;
using test::LittleEndian32;
using test::ReadFile;

// Sample by sample, as the tape encoder writes.
void WriteSamples(TStream& Stream, const std::vector<std::uint8_t>& Samples) {
  for (const std::uint8_t Sample : Samples) {
    Stream.WriteBuffer(&Sample, 1);
  }
}

std::vector<std::uint8_t> Pattern(std::size_t Count) {
  std::vector<std::uint8_t> Samples(Count);
  for (std::size_t I = 0; I < Count; ++I) {
    Samples[I] = static_cast<std::uint8_t>((I * 7 + I / 300) & 0xFF);
  }
  return Samples;
}

// A PCM wave opened for writing over memory.
struct TOpenedWave {
  TMemoryStream Under;
  TWaveStream Wave{Under};
  TOpenedWave() {
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
  }
};

// Right after opening the file holds the bare header; an odd count gets no
// pad byte; many samples cross the file stream's buffer in order. The header
// is completed by Close or, without it, by destruction.
TEST(WaveWriteTest, FileHoldsTheHeaderAndEverySampleInOrder) {
  const test::TScratchFolder Folder("wave-write");
  const std::string Name = Folder.PathOf("out.wav");
  const std::pair<std::size_t, bool> Cases[] = {
      {0, false}, {3, true}, {3 * TFileStream::BufferCapacity + 17, true}};
  for (const auto& [Count, Close] : Cases) {
    SCOPED_TRACE(Count);
    const auto Samples = Pattern(Count);
    {
      TWaveFileStream Wave(Name, fmCreate);
      Wave.SetPCMFormat(44100, 8, 1);
      Wave.Open(true);
      for (std::size_t I = 0; I < Samples.size(); ++I) {
        ASSERT_EQ(Wave.Write(&Samples[I], 1), 1);
        if (I % 50000 == 0) {
          ASSERT_EQ(Wave.Position(), static_cast<std::int32_t>(I + 1));
          ASSERT_EQ(Wave.Size(), static_cast<std::int32_t>(I + 1));
        }
      }
      EXPECT_EQ(Wave.Size(), static_cast<std::int32_t>(Count));
      if (Close) {
        Wave.Close();
      }
    }
    EXPECT_EQ(ReadFile(Name), ExpectedMonoWave(Samples));
  }
}

TEST(WaveWriteTest, CreateModeWithoutOpenLeavesAnEmptyFile) {
  const test::TScratchFolder Folder("wave-write");
  const std::string Name = Folder.Write("out.wav", {1, 2, 3});
  {
    TWaveFileStream Wave(Name, fmCreate);
    Wave.SetPCMFormat(44100, 8, 1);
  }
  EXPECT_TRUE(ReadFile(Name).empty());
}

TEST(WaveWriteTest, SecondOpenInEitherModeRaisesAndChangesNothing) {
  TOpenedWave Opened;
  TWaveStream& Wave = Opened.Wave;
  WriteSamples(Wave, {5, 6});
  const auto Before = Opened.Under.Bytes();
  test::ExpectError<EWaveStreamError>([&] { Wave.Open(true); }, "Stream has already been opened");
  test::ExpectError<EWaveStreamError>([&] { Wave.Open(false); }, "Stream has already been opened");
  EXPECT_EQ(Opened.Under.Bytes(), Before);
  EXPECT_EQ(Wave.Position(), 2);
  EXPECT_EQ(Wave.Size(), 2);
  // Still writing where it was.
  WriteSamples(Wave, {7});
  Wave.Close();
  EXPECT_EQ(Opened.Under.Bytes(), ExpectedMonoWave({5, 6, 7}));
}

TEST(WaveWriteTest, OpeningWithoutFormatRaisesUntilAFormatIsSet) {
  TMemoryStream Under;
  TWaveStream Wave(Under);
  test::ExpectError<EWaveStreamError>([&] { Wave.Open(true); }, "Format is invalid");
  EXPECT_TRUE(Under.Bytes().empty());
  // Still closed: transfers are refused.
  test::ExpectError<EWaveStreamError>([&] { WriteSamples(Wave, {1}); }, "Stream not opend");
  Wave.SetPCMFormat(44100, 8, 1);
  Wave.Open(true);
  WriteSamples(Wave, {1});
  Wave.Close();
  EXPECT_EQ(Under.Bytes(), ExpectedMonoWave({1}));
}

TEST(WaveWriteTest, TransfersBeforeOpeningRaiseNotOpened) {
  TMemoryStream Under;
  TWaveStream Wave(Under);
  Wave.SetPCMFormat(44100, 8, 1);
  // The wave's own error, not the write error of WriteBuffer.
  test::ExpectError<EWaveStreamError>([&] { WriteSamples(Wave, {0x30}); }, "Stream not opend");
  std::uint8_t Buffer[4] = {};
  test::ExpectError<EWaveStreamError>([&] { Wave.Read(Buffer, 4); }, "Stream not opend");
  test::ExpectError<EWaveStreamError>([&] { Wave.Read(Buffer, 0); }, "Stream not opend");
  EXPECT_EQ(Wave.Seek(5, soFromBeginning), 0);
  EXPECT_EQ(Wave.Position(), 0);
  EXPECT_EQ(Wave.Size(), 0);
  EXPECT_TRUE(Under.Bytes().empty());
}

TEST(WaveWriteTest, SeekLandsInsideTheDataAndOverwritingKeepsTheSize) {
  TOpenedWave Opened;
  TWaveStream& Wave = Opened.Wave;
  WriteSamples(Wave, {1, 2, 3, 4});
  EXPECT_EQ(Wave.Seek(10, soFromBeginning), 4);
  EXPECT_EQ(Wave.Seek(-1, soFromBeginning), 0);
  EXPECT_EQ(Wave.Seek(-1, soFromEnd), 3);
  EXPECT_EQ(Wave.Seek(-2, 3), 3);
  EXPECT_EQ(Wave.Seek(-1, soFromCurrent), 2);
  EXPECT_EQ(Wave.Seek(0x7FFFFFFF, soFromCurrent), 4);
  EXPECT_EQ(Wave.Seek(0, soFromBeginning), 0);
  WriteSamples(Wave, {9, 8});
  EXPECT_EQ(Wave.Position(), 2);
  EXPECT_EQ(Wave.Size(), 4);
  std::uint8_t Back[8] = {};
  Wave.SetPosition(0);
  EXPECT_EQ(Wave.Read(Back, 8), 4);
  EXPECT_EQ(std::vector<std::uint8_t>(Back, Back + 4), (std::vector<std::uint8_t>{9, 8, 3, 4}));
  Wave.Close();
  EXPECT_EQ(Opened.Under.Bytes(), ExpectedMonoWave({9, 8, 3, 4}));
}

TEST(WaveWriteTest, SettingTheSizeChangesNeitherDataNorPosition) {
  TOpenedWave Opened;
  TWaveStream& Wave = Opened.Wave;
  WriteSamples(Wave, {1, 2, 3});
  Wave.SetPosition(1);
  Wave.SetSize(0);
  EXPECT_EQ(Wave.Size(), 3);
  EXPECT_EQ(Wave.Position(), 1);
  Wave.SetSize(100);
  EXPECT_EQ(Wave.Size(), 3);
  Wave.Close();
  EXPECT_EQ(Opened.Under.Bytes(), ExpectedMonoWave({1, 2, 3}));
}

TEST(WaveWriteTest, FormatSetAfterOpeningStaysInMemory) {
  TOpenedWave Opened;
  Opened.Wave.SetPCMFormat(22050, 16, 2);
  EXPECT_EQ(LittleEndian32({Opened.Wave.GetFormat(), Opened.Wave.GetFormat() + 18}, 4), 22050u);
  WriteSamples(Opened.Wave, {0x80, 0x81});
  Opened.Wave.Close();
  EXPECT_EQ(Opened.Under.Bytes(), ExpectedMonoWave({0x80, 0x81}));
}

TEST(WaveWriteTest, WaveInsideAStreamStartsWhereThatStreamStood) {
  TMemoryStream Under(std::vector<std::uint8_t>(100, 0xAA));
  Under.SetPosition(100);
  {
    TWaveStream Wave(Under);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    WriteSamples(Wave, {0x11, 0x22, 0x33, 0x44, 0x55});
    EXPECT_EQ(Under.Size(), 151);
  }
  const auto& Bytes = Under.Bytes();
  ASSERT_EQ(Bytes.size(), 151u);
  EXPECT_EQ(std::vector<std::uint8_t>(Bytes.begin(), Bytes.begin() + 100),
            std::vector<std::uint8_t>(100, 0xAA));
  EXPECT_EQ(std::vector<std::uint8_t>(Bytes.begin() + 100, Bytes.end()),
            ExpectedMonoWave({0x11, 0x22, 0x33, 0x44, 0x55}));
  EXPECT_EQ(Bytes[146], 0x11);
  EXPECT_EQ(LittleEndian32(Bytes, 104), 151u - 108u);
  EXPECT_EQ(Under.Position(), 151);
}

TEST(WaveWriteTest, OtherFormatSizesShiftTheDataChunk) {
  TMemoryStream Under;
  {
    TWaveStream Wave(Under);
    Wave.SetFormatSize(3);
    Wave.GetFormat()[0] = 0xF1;
    Wave.GetFormat()[2] = 0xF3;
    Wave.Open(true);
    WriteSamples(Wave, {0x42});
  }
  std::vector<std::uint8_t> Expected = test::RiffHeader(4 + 8 + 3 + 8 + 1);
  test::AppendChunk(Expected, "fmt ", {0xF1, 0x00, 0xF3});
  test::AppendChunk(Expected, "data", {0x42});
  EXPECT_EQ(Under.Bytes(), Expected);
}

TEST(WaveWriteTest, CloseCompletesOnceAndLeavesTheUnderlyingStreamAtItsEnd) {
  TOpenedWave Opened;
  WriteSamples(Opened.Wave, {1, 2});
  Opened.Wave.SetPosition(0);
  Opened.Wave.Close();
  EXPECT_EQ(Opened.Under.Position(), 48);
  EXPECT_EQ(Opened.Under.Bytes(), ExpectedMonoWave({1, 2}));
  // The giver may go on using its stream; the wave touches it no more.
  const std::uint8_t Tail = 0xEE;
  Opened.Under.WriteBuffer(&Tail, 1);
  Opened.Wave.Close();
  EXPECT_EQ(Opened.Under.Bytes().size(), 49u);
  EXPECT_EQ(LittleEndian32(Opened.Under.Bytes(), 42), 2u);
}

}  // namespace
}  // namespace kvetro
