#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/MzfBuilder.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/WaveBytes.h"
#include "wave/MemoryStream.h"
#include "wave/WaveFileStream.h"
#include "wave/WaveStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {
namespace {

using test::ReadFile;

// The wave stream's own Write goes straight to the underlying stream where it
// already stands; it must give the same answers and leave the same bytes as
// the inherited way, including when the underlying stream takes only part of
// a write and after seeks anywhere.
class TwoWays {
 public:
  explicit TwoWays(std::uint32_t Seed) : FRandom(Seed) {}

  int Pick(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(FRandom); }

  // One random step on both streams; Short is the wave written the short way.
  void Step(TWaveStream& Short, TWaveStream& Inherited, int Number) {
    std::vector<std::uint8_t> Bytes(static_cast<std::size_t>(Pick(0, 300)));
    for (auto& Byte : Bytes) {
      Byte = static_cast<std::uint8_t>(Pick(0, 255));
    }
    const auto Count = static_cast<std::int32_t>(Bytes.size());
    switch (Pick(0, 5)) {
      case 0:
      case 1:
      case 2:
        ASSERT_EQ(Short.Write(Bytes.data(), Count),
                  Inherited.TCustomWaveStream::Write(Bytes.data(), Count))
            << "step " << Number;
        break;
      case 3: {
        const std::int32_t Offset = Pick(-400, 4000);
        const auto Origin = static_cast<std::uint16_t>(Pick(0, 3));
        ASSERT_EQ(Short.Seek(Offset, Origin), Inherited.Seek(Offset, Origin)) << "step " << Number;
        break;
      }
      case 4: {
        std::vector<std::uint8_t> A(Bytes.size()), B(Bytes.size());
        ASSERT_EQ(Short.Read(A.data(), Count), Inherited.Read(B.data(), Count))
            << "step " << Number;
        ASSERT_EQ(A, B) << "step " << Number;
        break;
      }
      default:
        ASSERT_EQ(Short.Write(nullptr, -Pick(0, 5)),
                  Inherited.TCustomWaveStream::Write(nullptr, -Pick(0, 5)))
            << "step " << Number;
        break;
    }
    ASSERT_EQ(Short.Position(), Inherited.Position()) << "step " << Number;
    ASSERT_EQ(Short.GetDataSize(), Inherited.GetDataSize()) << "step " << Number;
  }

 private:
  std::mt19937 FRandom;
};

TEST(WaveWritePath, AnswersAsTheInheritedWriteOverMemoryThatFillsUp) {
  for (std::uint32_t Seed = 1; Seed <= 40; ++Seed) {
    TwoWays Ways(Seed);
    TMemoryStream ShortMemory, InheritedMemory;
    // Something before the wave, so that the wave does not start at 0.
    const std::vector<std::uint8_t> Lead(static_cast<std::size_t>(Ways.Pick(0, 20)), 0x55);
    ShortMemory.WriteBuffer(Lead.data(), static_cast<std::int32_t>(Lead.size()));
    InheritedMemory.WriteBuffer(Lead.data(), static_cast<std::int32_t>(Lead.size()));
    const std::int32_t Limit = Seed % 3 == 0 ? -1 : Ways.Pick(100, 5000);
    ShortMemory.SetWriteLimit(Limit);
    InheritedMemory.SetWriteLimit(Limit);
    {
      TWaveStream Short(ShortMemory), Inherited(InheritedMemory);
      Short.SetPCMFormat(44100, 8, 1);
      Inherited.SetPCMFormat(44100, 8, 1);
      // Announced, as a run does: nothing else moves a stream given to the
      // wave then. The random steps break the promise, so neither is
      // completed at the end.
      Short.AnnounceDataSize(1000);
      Inherited.AnnounceDataSize(1000);
      Short.Open(true);
      Inherited.Open(true);
      for (int Number = 0; Number < 200; ++Number) {
        Ways.Step(Short, Inherited, Number);
      }
    }
    EXPECT_EQ(ShortMemory.Bytes(), InheritedMemory.Bytes()) << "seed " << Seed;
  }
}

TEST(WaveWritePath, AnswersAsTheInheritedWriteBeforeOpeningAndOverAFile) {
  TwoWays Ways(77);
  TMemoryStream ShortMemory, InheritedMemory;
  {
    TWaveStream Short(ShortMemory), Inherited(InheritedMemory);
    const std::uint8_t Byte = 1;
    EXPECT_THROW(Short.Write(&Byte, 1), EWaveStreamError);
    EXPECT_THROW(Inherited.TCustomWaveStream::Write(&Byte, 1), EWaveStreamError);
  }

  const test::TScratchFolder Folder("wave-write-path");
  const std::string ShortFile = Folder.PathOf("short.wav");
  const std::string InheritedFile = Folder.PathOf("inherited.wav");
  {
    TWaveFileStream Short(ShortFile, fmCreate), Inherited(InheritedFile, fmCreate);
    Short.SetPCMFormat(44100, 8, 1);
    Inherited.SetPCMFormat(44100, 8, 1);
    Short.Open(true);
    Inherited.Open(true);
    // Past one buffer of the file stream, so that its buffer is written out
    // on the way.
    constexpr auto Past = static_cast<std::int32_t>(TFileStream::BufferCapacity) + 4096;
    for (int Number = 0; Short.Size() < Past && Number < 1'000'000; ++Number) {
      Ways.Step(Short, Inherited, Number);
    }
    Short.Close();
    Inherited.Close();
  }
  EXPECT_EQ(ReadFile(ShortFile), ReadFile(InheritedFile));
  EXPECT_GT(ReadFile(ShortFile).size(), TFileStream::BufferCapacity);
}

// Opened for reading, a wave is only overwritten in place: the write after a
// write, where the file already stands, must not run on into the next chunk.
TEST(WaveWritePath, WaveFileOpenedForReadingIsNotExtendedWriteAfterWrite) {
  std::vector<std::uint8_t> Input;
  test::AppendId(Input, "RIFF");
  test::AppendLe32(Input, 0);
  test::AppendId(Input, "WAVE");
  test::AppendChunk(Input, "data", test::CountingBody(10, 0));
  test::AppendChunk(Input, "tail", test::CountingBody(2, 0xE0));
  const test::TScratchFolder Folder("wave-read-write");
  const std::string File = Folder.Write("in-place.wav", Input);
  {
    TWaveFileStream Wave(File, fmOpenReadWrite);
    Wave.Open(false);
    Wave.SetPosition(8);
    const std::uint8_t New[] = {0xA0, 0xA1, 0xA2};
    EXPECT_EQ(Wave.Write(New, 2), 2);
    EXPECT_EQ(Wave.Write(New, 3), 0);
    EXPECT_EQ(Wave.Position(), 10);
  }
  Input[20 + 8] = 0xA0;
  Input[20 + 9] = 0xA1;
  EXPECT_EQ(test::ReadFile(File), Input);
}

}  // namespace
}  // namespace kvetro
