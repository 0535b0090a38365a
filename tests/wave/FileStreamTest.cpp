#include "wave/FileStream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "tests/support/ExpectError.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/ScratchFolder.h"
#include "wave/MemoryStream.h"
#include "wave/WaveFileStream.h"

namespace kvetro {
namespace {

using test::ExpectError;
using test::ReadFile;

class FileStreamTest : public ::testing::Test {
 protected:
  test::TScratchFolder Folder{"file-stream"};
  std::string Name = Folder.PathOf("file.bin");
};

TEST_F(FileStreamTest, CreateModeReplacesAnExistingFileByAnEmptyOne) {
  test::WriteFile(Name, {1, 2, 3, 4, 5});
  {
    TFileStream Stream(Name, fmCreate);
    EXPECT_EQ(Stream.Size(), 0);
    EXPECT_EQ(Stream.Position(), 0);
    EXPECT_TRUE(ReadFile(Name).empty());
    const std::uint8_t Bytes[] = {9, 8, 7};
    EXPECT_EQ(Stream.Write(Bytes, 3), 3);
    // Create mode reads as well as writes.
    Stream.SetPosition(1);
    std::uint8_t Back[3] = {};
    EXPECT_EQ(Stream.Read(Back, 3), 2);
    EXPECT_EQ(Back[0], 8);
    EXPECT_EQ(Back[1], 7);
    Stream.SetPosition(0);
    EXPECT_EQ(Stream.Read(Back, 1), 1);  // a single byte
    EXPECT_EQ(Back[0], 9);
    Stream.Close();
  }
  EXPECT_EQ(ReadFile(Name), (std::vector<std::uint8_t>{9, 8, 7}));
}

// Also through the wave file stream, which makes its file stream itself.
TEST_F(FileStreamTest, FailureToMakeOrOpenNamesTheFile) {
  const std::string Missing = Folder.PathOf("no-such-folder/out.wav");
  ExpectError<EFCreateError>([&] { TFileStream Stream(Missing, fmCreate); },
                             "Cannot create file " + Missing);
  ExpectError<EFCreateError>([&] { TWaveFileStream Wave(Missing, fmCreate); },
                             "Cannot create file " + Missing);
  ExpectError<EFOpenError>([&] { TFileStream Stream(Missing, fmOpenRead); },
                           "Cannot open file " + Missing);
}

TEST_F(FileStreamTest, SeekPastTheEndAndWriteThereLeavesAHoleOfZeros) {
  {
    TFileStream Stream(Name, fmCreate);
    const std::uint8_t A = 0x41;
    EXPECT_EQ(Stream.Seek(5, soFromBeginning), 5);
    EXPECT_EQ(Stream.Size(), 0);  // only a write moves the end
    EXPECT_EQ(Stream.Write(&A, 1), 1);
    EXPECT_EQ(Stream.Size(), 6);
    EXPECT_EQ(Stream.Seek(-1, soFromBeginning), 6);  // refused: stays
    EXPECT_EQ(Stream.Seek(-2, soFromEnd), 4);
    EXPECT_EQ(Stream.Seek(7, 3), 4);  // unknown origin: stays
  }
  EXPECT_EQ(ReadFile(Name), (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0x41}));
}

TEST_F(FileStreamTest, OpenModesReadAnExistingFileAndReadOnlyRefusesWrites) {
  test::WriteFile(Name, {10, 20, 30});
  {
    TFileStream Stream(Name, fmOpenRead);
    EXPECT_EQ(Stream.Size(), 3);
    const std::uint8_t Byte = 1;
    EXPECT_EQ(Stream.Write(&Byte, 1), 0);
    std::uint8_t Back[4] = {};
    EXPECT_EQ(Stream.Read(Back, 4), 3);
    EXPECT_EQ(Back[2], 30);
    EXPECT_EQ(Stream.Position(), 3);
  }
  {
    TFileStream Stream(Name, fmOpenReadWrite);
    Stream.SetPosition(1);
    const std::uint8_t Byte = 99;
    EXPECT_EQ(Stream.Write(&Byte, 1), 1);
  }
  EXPECT_EQ(ReadFile(Name), (std::vector<std::uint8_t>{10, 99, 30}));
}

// The buffer must not show: the same operations on a memory stream and on a
// file give the same answers and the same bytes. The mix crosses the buffer
// bounds often: small writes, writes larger than the buffer, overwrites,
// seeks before, inside and past the end, and reads in between.
TEST_F(FileStreamTest, AnswersAndBytesMatchAnUnbufferedStream) {
  std::mt19937 Random(20240611);
  TMemoryStream Model;
  {
    TFileStream Stream(Name, fmCreate);
    std::vector<std::uint8_t> Data(200000);
    std::vector<std::uint8_t> FromFile(200000);
    std::vector<std::uint8_t> FromModel(200000);
    for (int Step = 0; Step < 2500; ++Step) {
      const int Kind = static_cast<int>(Random() % 10);
      if (Kind < 5) {
        const std::int32_t Count = Random() % 50 == 0
                                       ? static_cast<std::int32_t>(65536 + Random() % 70000)
                                       : static_cast<std::int32_t>(Random() % 300);
        for (std::int32_t I = 0; I < Count; ++I) {
          Data[static_cast<std::size_t>(I)] = static_cast<std::uint8_t>(Random());
        }
        ASSERT_EQ(Stream.Write(Data.data(), Count), Model.Write(Data.data(), Count)) << Step;
      } else if (Kind < 8) {
        const auto Origin = static_cast<std::uint16_t>(Random() % 4);
        const auto Offset = static_cast<std::int32_t>(Random() % 400000) - 150000;
        ASSERT_EQ(Stream.Seek(Offset, Origin), Model.Seek(Offset, Origin)) << Step;
      } else {
        const auto Count = static_cast<std::int32_t>(Random() % 20000);
        const std::int32_t Got = Stream.Read(FromFile.data(), Count);
        ASSERT_EQ(Got, Model.Read(FromModel.data(), Count)) << Step;
        ASSERT_TRUE(std::equal(FromFile.begin(), FromFile.begin() + Got, FromModel.begin()))
            << Step;
      }
      ASSERT_EQ(Stream.Position(), Model.Position()) << Step;
      ASSERT_EQ(Stream.Size(), Model.Size()) << Step;
    }
    Stream.Close();
  }
  EXPECT_EQ(ReadFile(Name), Model.Bytes());
}

TEST_F(FileStreamTest, CloseReleasesTheFileOnceAndLaterTransfersAnswerZero) {
  TFileStream Stream(Name, fmCreate);
  const std::uint8_t Bytes[] = {1, 2};
  EXPECT_EQ(Stream.Write(Bytes, 2), 2);
  Stream.Close();
  EXPECT_EQ(ReadFile(Name), (std::vector<std::uint8_t>{1, 2}));
  EXPECT_NO_THROW(Stream.Close());
  EXPECT_EQ(Stream.Write(Bytes, 2), 0);
  Stream.SetPosition(0);
  std::uint8_t Back[2] = {};
  EXPECT_EQ(Stream.Read(Back, 2), 0);
  EXPECT_EQ(ReadFile(Name), (std::vector<std::uint8_t>{1, 2}));
}

class FullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string Reason = test::NoFullDevice(); !Reason.empty()) {
      GTEST_SKIP() << Reason;
    }
  }
};

TEST_F(FullDeviceTest, BufferedBytesThatNeverReachTheFileAreReportedByClose) {
  TFileStream Stream("/dev/full", fmCreate);
  const std::uint8_t Byte = 0x30;
  EXPECT_EQ(Stream.Write(&Byte, 1), 1);
  EXPECT_EQ(Stream.Size(), 1);
  ExpectError<EWriteError>([&] { Stream.Close(); }, "Stream write error");
  EXPECT_NO_THROW(Stream.Close());
}

TEST_F(FullDeviceTest, TheWriteThatNeedsAFullBufferFlushedAnswersZero) {
  TFileStream Stream("/dev/full", fmCreate);
  const std::uint8_t Byte = 0xD0;
  for (std::size_t I = 0; I < TFileStream::BufferCapacity; ++I) {
    ASSERT_EQ(Stream.Write(&Byte, 1), 1) << I;
  }
  EXPECT_EQ(Stream.Size(), static_cast<std::int32_t>(TFileStream::BufferCapacity));
  EXPECT_EQ(Stream.Write(&Byte, 1), 0);
  // Nothing reached the device; the position stays where the caller put it.
  EXPECT_EQ(Stream.Size(), 0);
  EXPECT_EQ(Stream.Position(), static_cast<std::int32_t>(TFileStream::BufferCapacity));
  EXPECT_THROW(Stream.Close(), EWriteError);
}

TEST_F(FullDeviceTest, AWriteLargerThanTheBufferAnswersWhatThePlatformTook) {
  TFileStream Stream("/dev/full", fmCreate);
  const std::vector<std::uint8_t> Big(TFileStream::BufferCapacity + 10, 0x30);
  EXPECT_EQ(Stream.Write(Big.data(), static_cast<std::int32_t>(Big.size())), 0);
  EXPECT_EQ(Stream.Position(), 0);
  // The refusal was answered at once; nothing is left to report.
  EXPECT_NO_THROW(Stream.Close());
}

}  // namespace
}  // namespace kvetro
