#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "io/StreamErrors.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/WaveBytes.h"
#include "tests/wave/TempFile.h"
#include "wave/MemoryStream.h"
#include "wave/WaveFileStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {
namespace {

using Bytes = std::vector<std::uint8_t>;

#ifdef __linux__
std::size_t OpenFileCount() {
  std::size_t Count = 0;
  for ([[maybe_unused]] const auto& Entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++Count;
  }
  return Count;
}
#endif

TEST(WaveFailureTest, SampleWriteOnAFullDeviceRaisesAndAdvancesByWhatWasWritten) {
  TMemoryStream Under;
  Under.SetWriteLimit(46 + 3);
  TWaveStream Wave(Under);
  Wave.SetPCMFormat(44100, 8, 1);
  Wave.Open(true);
  const std::uint8_t Samples[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(Wave.Write(Samples, 2), 2);
  EXPECT_EQ(Wave.Write(Samples + 2, 3), 1);
  EXPECT_EQ(Wave.Position(), 3);
  try {
    Wave.WriteBuffer(Samples + 3, 1);
    FAIL() << "the full device was not reported";
  } catch (const EWriteError& Error) {
    EXPECT_EQ(Error.Message(), "Stream write error");
  }
  EXPECT_EQ(Wave.Position(), 3);
  // The header fits in place: completing it still works.
  Wave.Close();
  EXPECT_EQ(Under.Bytes(), test::ExpectedMonoWave({1, 2, 3}));
}

TEST(WaveFailureTest, OpeningThatFailsPartWayCountsAsOpenedAndCompletesNothing) {
  // Room for the placeholder and the format chunk header, not the record.
  TMemoryStream Under;
  Under.SetWriteLimit(25);
  {
    TWaveStream Wave(Under);
    Wave.SetPCMFormat(44100, 8, 1);
    EXPECT_THROW(Wave.Open(true), EWriteError);
    EXPECT_THROW(Wave.Open(true), EWaveStreamError);
    EXPECT_EQ(Wave.Size(), 0);
    // With no data chunk in place a sample has nowhere to go: it is refused
    // rather than written over the header.
    const std::uint8_t Sample = 0x30;
    EXPECT_THROW(Wave.WriteBuffer(&Sample, 1), EWriteError);
    Under.SetWriteLimit(-1);
    Wave.Close();
  }
  Bytes Expected(12, 0);
  test::AppendId(Expected, "fmt ");
  test::AppendLe32(Expected, 18);
  // The part of the record that fitted: format tag, channels, a byte of the rate.
  Expected.insert(Expected.end(), {1, 0, 1, 0, 0x44});
  EXPECT_EQ(Under.Bytes(), Expected);
}

TEST(WaveFailureTest, CompletingTheHeaderOnAFullDeviceRaisesFromClose) {
  TMemoryStream Under;
  TWaveStream Wave(Under);
  Wave.SetPCMFormat(44100, 8, 1);
  Wave.Open(true);
  Wave.WriteBuffer("ab", 2);
  Under.SetWriteLimit(4);
  EXPECT_THROW(Wave.Close(), EWriteError);
  // Only the first call does anything; the destructor stays quiet.
  EXPECT_NO_THROW(Wave.Close());
}

TEST(WaveFailureTest, FileThatCannotBeMadeRaisesWithItsName) {
  const std::string Name =
      (std::filesystem::temp_directory_path() / "kvetro-no-such-folder" / "a.wav").string();
  try {
    TWaveFileStream Wave(Name, fmCreate);
    FAIL() << "made a file in a missing folder";
  } catch (const EFCreateError& Error) {
    EXPECT_EQ(Error.Message(), "Cannot create file " + Name);
  }
}

class FullDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string Reason = test::NoFullDevice(); !Reason.empty()) {
      GTEST_SKIP() << Reason;
    }
  }
};

TEST_F(FullDiskTest, CloseReportsTheFailureAndTheFileIsReleased) {
#ifdef __linux__
  const std::size_t Before = OpenFileCount();
#endif
  {
    TWaveFileStream Wave("/dev/full", fmCreate);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    const std::uint8_t Sample = 0xD0;
    for (int I = 0; I < 1000; ++I) {
      Wave.WriteBuffer(&Sample, 1);
    }
    try {
      Wave.Close();
      FAIL() << "the full disk was not reported";
    } catch (const EWriteError& Error) {
      EXPECT_EQ(Error.Message(), "Stream write error");
    }
#ifdef __linux__
    EXPECT_EQ(OpenFileCount(), Before);
#endif
  }
#ifdef __linux__
  EXPECT_EQ(OpenFileCount(), Before);
#endif
}

TEST_F(FullDiskTest, DestructionWithoutCloseSwallowsTheFailure) {
#ifdef __linux__
  const std::size_t Before = OpenFileCount();
#endif
  EXPECT_NO_THROW({
    TWaveFileStream Wave("/dev/full", fmCreate);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    const std::uint8_t Sample = 0x30;
    Wave.WriteBuffer(&Sample, 1);
  });
#ifdef __linux__
  EXPECT_EQ(OpenFileCount(), Before);
#endif
}

TEST(WaveFailureTest, WaveAbandonedByAnExceptionIsCompletedAndReleased) {
  test::TTempFile File;
#ifdef __linux__
  const std::size_t Before = OpenFileCount();
#endif
  try {
    TWaveFileStream Wave(File.Name(), fmCreate);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    Wave.WriteBuffer("xyz", 3);
    throw EWriteError();
  } catch (const EWriteError&) {
  }
#ifdef __linux__
  EXPECT_EQ(OpenFileCount(), Before);
#endif
  EXPECT_EQ(File.Bytes(), test::ExpectedMonoWave({'x', 'y', 'z'}));
}

}  // namespace
}  // namespace kvetro
