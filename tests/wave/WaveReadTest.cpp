#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "io/StreamErrors.h"
#include "tests/support/ExpectError.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/WaveBytes.h"
#include "wave/MemoryStream.h"
#include "wave/WaveFileStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::AppendChunk;
using test::ChunkHeader;
using test::CountingBody;
using test::ExpectError;

// The RIFF size is ignored when reading.
Bytes RiffHeader() {
  return test::RiffHeader(0);
}

Bytes operator+(Bytes Left, const Bytes& Right) {
  Left.insert(Left.end(), Right.begin(), Right.end());
  return Left;
}

Bytes FormatOf(TWaveStream& Wave) {
  const std::uint8_t* At = Wave.GetFormat();
  return At == nullptr ? Bytes{} : Bytes(At, At + Wave.GetFormatSize());
}

// A wave over Input in memory, opened for reading.
struct TReadWave {
  explicit TReadWave(const Bytes& Input) : Under(Input) { Wave.Open(false); }
  TMemoryStream Under;
  TWaveStream Wave{Under};
};

Bytes ReadAll(TWaveStream& Wave, std::int32_t Count) {
  Bytes Buffer(static_cast<std::size_t>(Count));
  Buffer.resize(static_cast<std::size_t>(Wave.Read(Buffer.data(), Count)));
  return Buffer;
}

TEST(WaveReadTest, FormatAndDataChunksAreFound) {
  Bytes Input = RiffHeader();
  AppendChunk(Input, "fmt ", CountingBody(16, 0x50));
  AppendChunk(Input, "LIST", CountingBody(6, 0));
  AppendChunk(Input, "data", CountingBody(5, 1));
  TReadWave Read(Input);
  TWaveStream& Wave = Read.Wave;
  EXPECT_EQ(Wave.GetFormatSize(), 16);
  EXPECT_EQ(FormatOf(Wave), CountingBody(16, 0x50));
  EXPECT_EQ(Wave.Size(), 5);
  EXPECT_EQ(ReadAll(Wave, 5), CountingBody(5, 1));
  EXPECT_EQ(Wave.Position(), 5);
  Wave.SetPosition(3);
  EXPECT_EQ(ReadAll(Wave, 100), (Bytes{4, 5}));
  // Reading writes nothing on destruction.
  Wave.Close();
  EXPECT_EQ(Read.Under.Bytes(), Input);
}

TEST(WaveReadTest, NotRiffIsInvalidAndStillCountsAsOpened) {
  Bytes Input = Bytes{'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'} + ChunkHeader("data", 2) +
                Bytes{1, 2};
  TMemoryStream Under(Input);
  TWaveStream Wave(Under);
  ExpectError<EWaveStreamError>([&] { Wave.Open(false); }, "Wave is invalid");
  EXPECT_EQ(Wave.Size(), 0);
  EXPECT_TRUE(ReadAll(Wave, 4).empty());
  ExpectError<EWaveStreamError>([&] { Wave.Open(false); }, "Stream has already been opened");
  ExpectError<EWaveStreamError>([&] { Wave.Open(true); }, "Stream has already been opened");

  Bytes NotWave = RiffHeader();
  NotWave[11] = 'X';
  TMemoryStream Under2(NotWave);
  TWaveStream Wave2(Under2);
  ExpectError<EWaveStreamError>([&] { Wave2.Open(false); }, "Wave is invalid");
}

TEST(WaveReadTest, FewerThanTwelveBytesIsAReadError) {
  TMemoryStream Under(Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V'});
  TWaveStream Wave(Under);
  ExpectError<EReadError>([&] { Wave.Open(false); }, "Stream read error");
  EXPECT_EQ(Wave.Size(), 0);
  ExpectError<EWaveStreamError>([&] { Wave.Open(false); }, "Stream has already been opened");
}

TEST(WaveReadTest, WithoutDataChunkTheSizeIsZero) {
  Bytes Input = RiffHeader();
  AppendChunk(Input, "fmt ", CountingBody(18, 0));
  TReadWave Read(Input);
  TWaveStream& Wave = Read.Wave;
  EXPECT_EQ(Wave.Size(), 0);
  EXPECT_EQ(FormatOf(Wave), CountingBody(18, 0));
  std::uint8_t Buffer[4] = {};
  EXPECT_EQ(Wave.Read(Buffer, 4), 0);
  EXPECT_EQ(Wave.Write(Buffer, 4), 0);
  EXPECT_EQ(Read.Under.Bytes(), Input);
}

TEST(WaveReadTest, DataChunkFollowedByAnotherChunkEndsAtItsSize) {
  Bytes Input = RiffHeader();
  AppendChunk(Input, "data", CountingBody(10, 100));
  AppendChunk(Input, "junk", CountingBody(30, 0));
  TReadWave Read(Input);
  TWaveStream& Wave = Read.Wave;
  EXPECT_EQ(Wave.Size(), 10);
  Wave.SetPosition(0);
  EXPECT_EQ(ReadAll(Wave, 20), CountingBody(10, 100));
}

TEST(WaveReadTest, LaterChunksReplaceEarlierOnesAndAZeroIdEndsTheWalk) {
  Bytes Input = RiffHeader();
  AppendChunk(Input, "fmt ", CountingBody(4, 1));
  AppendChunk(Input, "data", CountingBody(3, 10));
  AppendChunk(Input, "fmt ", CountingBody(2, 7));
  AppendChunk(Input, "data", CountingBody(4, 20));
  Input = Input + Bytes(8, 0);
  AppendChunk(Input, "data", CountingBody(9, 30));
  TReadWave Read(Input);
  TWaveStream& Wave = Read.Wave;
  EXPECT_EQ(FormatOf(Wave), CountingBody(2, 7));
  EXPECT_EQ(ReadAll(Wave, 100), CountingBody(4, 20));
}

TEST(WaveReadTest, PadBytesAreNotSkipped) {
  // An odd chunk followed by a pad byte: the walk reads the pad as the first
  // byte of the next header and finds no data chunk.
  Bytes Input = RiffHeader();
  AppendChunk(Input, "odd ", CountingBody(3, 0));
  Input.push_back(0);
  AppendChunk(Input, "data", CountingBody(2, 1));
  TReadWave Read(Input);
  TWaveStream& Wave = Read.Wave;
  EXPECT_EQ(Wave.Size(), 0);
}

TEST(WaveReadTest, WaveOpenedForReadingIsOverwrittenInPlaceNotExtended) {
  Bytes Input = RiffHeader();
  AppendChunk(Input, "data", CountingBody(10, 0));
  AppendChunk(Input, "tail", CountingBody(2, 0xE0));
  TReadWave Read(Input);
  TWaveStream& Wave = Read.Wave;
  Wave.SetPosition(8);
  const Bytes New = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4};
  EXPECT_EQ(Wave.Write(New.data(), 5), 2);
  EXPECT_EQ(Wave.Position(), 10);
  EXPECT_EQ(Wave.Size(), 10);
  Bytes Expected = Input;
  Expected[20 + 8] = 0xA0;
  Expected[20 + 9] = 0xA1;
  EXPECT_EQ(Read.Under.Bytes(), Expected);
}

TEST(WaveReadTest, WaveInsideAStreamIsReadFromWhereThatStreamStood) {
  Bytes Wave = RiffHeader();
  AppendChunk(Wave, "data", CountingBody(3, 1));
  TMemoryStream Under(Bytes(7, 0xFF) + Wave);
  Under.SetPosition(7);
  TWaveStream Reader(Under);
  Reader.Open(false);
  EXPECT_EQ(ReadAll(Reader, 3), CountingBody(3, 1));
}

// Forged sizes: every size is read as unsigned 32 bits; one that claims more
// than the stream still holds ends the walk and keeps the bytes that are
// there.
TEST(WaveReadTest, ForgedChunkSizesEndTheWalk) {
  const std::pair<Bytes, Bytes> Cases[] = {
      // 0xFFFFFFF8 read as a signed offset would step back onto this header.
      {ChunkHeader("loop", 0xFFFFFFF8) + ChunkHeader("data", 0), {}},
      {ChunkHeader("data", 0x80000000) + CountingBody(6, 1), CountingBody(6, 1)},
      {ChunkHeader("data", 1000) + CountingBody(4, 9), CountingBody(4, 9)},
      // The largest size: no offset may wrap.
      {ChunkHeader("data", 2) + Bytes{5, 6} + ChunkHeader("huge", 0xFFFFFFFF) +
           ChunkHeader("data", 0),
       {5, 6}},
  };
  for (const auto& [Chunks, Data] : Cases) {
    TReadWave Read(RiffHeader() + Chunks);
    EXPECT_EQ(Read.Wave.Size(), static_cast<std::int32_t>(Data.size()));
    EXPECT_EQ(ReadAll(Read.Wave, 100), Data);
    EXPECT_EQ(Read.Wave.Seek(0, soFromEnd), static_cast<std::int32_t>(Data.size()));
  }
}

TEST(WaveReadTest, FormatChunkLargerThanTheRestIsAReadErrorWithoutAllocating) {
  for (const std::uint32_t Size : {0xFFFFFFF0u, 0x7FFFFFFFu, 19u}) {
    TMemoryStream Under(RiffHeader() + ChunkHeader("fmt ", Size) + CountingBody(18, 0));
    TWaveStream Wave(Under);
    ExpectError<EReadError>([&] { Wave.Open(false); }, "Stream read error");
    EXPECT_EQ(Wave.GetFormatSize(), 0) << Size;
    EXPECT_EQ(Wave.GetFormat(), nullptr) << Size;
  }
}

TEST(WaveReadTest, ArbitraryBytesAfterTheHeaderAlwaysEndTheWalk) {
  std::mt19937 Random(7);
  for (int Round = 0; Round < 2000; ++Round) {
    Bytes Input = RiffHeader();
    const std::size_t Length = Random() % 64;
    for (std::size_t I = 0; I < Length; ++I) {
      // Mostly small values, so that sizes often fit and the walk goes on.
      Input.push_back(static_cast<std::uint8_t>(Random() % 3 == 0 ? Random() : Random() % 12));
    }
    TMemoryStream Under(Input);
    TWaveStream Wave(Under);
    try {
      Wave.Open(false);
    } catch (const EReadError&) {
      // a format chunk cut short
    }
    const std::int32_t Size = Wave.Size();
    ASSERT_GE(Size, 0) << Round;
    ASSERT_LE(Size, std::max(static_cast<std::int32_t>(Input.size()) - 20, 0)) << Round;
    ASSERT_EQ(static_cast<std::int32_t>(ReadAll(Wave, Size + 5).size()), Size) << Round;
    ASSERT_EQ(Under.Bytes(), Input) << Round;
  }
}

TEST(WaveReadTest, FileWrittenByTheWaveFileStreamReadsBack) {
  const test::TScratchFolder Folder("wave-read");
  const std::string Name = Folder.PathOf("out.wav");
  const Bytes Samples = CountingBody(301, 0x20);
  {
    TWaveFileStream Wave(Name, fmCreate);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    for (const std::uint8_t Sample : Samples) {
      Wave.WriteBuffer(&Sample, 1);
    }
  }
  TWaveFileStream Wave(Name, fmOpenRead);
  Wave.Open(false);
  EXPECT_EQ(FormatOf(Wave), test::PcmFormatRecord(1, 44100, 44100, 1, 8));
  EXPECT_EQ(Wave.Size(), 301);
  EXPECT_EQ(ReadAll(Wave, 1000), Samples);
}

}  // namespace
}  // namespace kvetro
