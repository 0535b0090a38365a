#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "io/StreamErrors.h"
#include "tests/support/ExpectError.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/WaveBytes.h"
#include "wave/MemoryStream.h"
#include "wave/WaveFileStream.h"
#include "wave/WaveStreamError.h"

namespace kvetro {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::ExpectError;

// The files the process holds open (0 where the system does not show them),
// so that a file left open shows.
std::size_t OpenFileCount() {
  std::size_t Count = 0;
  std::error_code Error;
  for (std::filesystem::directory_iterator Entry("/proc/self/fd", Error), End;
       !Error && Entry != End; Entry.increment(Error)) {
    ++Count;
  }
  return Count;
}

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
  ExpectError<EWriteError>([&] { Wave.WriteBuffer(Samples + 3, 1); }, "Stream write error");
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
  const Bytes Chunk = test::ChunkHeader("fmt ", 18);
  Expected.insert(Expected.end(), Chunk.begin(), Chunk.end());
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

// On a full disk the samples wait in the file stream's buffer: the failure
// shows when the header is completed. Close reports it, destruction
// swallows it, and either way the file is released.
TEST(WaveFailureTest, AFullDiskIsReportedByCloseAndTheFileIsReleased) {
  if (const std::string Reason = test::NoFullDevice(); !Reason.empty()) {
    GTEST_SKIP() << Reason;
  }
  const std::size_t Before = OpenFileCount();
  for (const bool Closed : {true, false}) {
    SCOPED_TRACE(Closed ? "closed" : "destroyed");
    EXPECT_NO_THROW({
      TWaveFileStream Wave("/dev/full", fmCreate);
      Wave.SetPCMFormat(44100, 8, 1);
      Wave.Open(true);
      const std::uint8_t Sample = 0xD0;
      for (int I = 0; I < 1000; ++I) {
        Wave.WriteBuffer(&Sample, 1);
      }
      if (Closed) {
        ExpectError<EWriteError>([&] { Wave.Close(); }, "Stream write error");
        EXPECT_EQ(OpenFileCount(), Before);
      }
    });
    EXPECT_EQ(OpenFileCount(), Before);
  }
}

TEST(WaveFailureTest, WaveAbandonedByAnExceptionIsCompletedAndReleased) {
  const test::TScratchFolder Folder("wave-failure");
  const std::string Name = Folder.PathOf("out.wav");
  const std::size_t Before = OpenFileCount();
  try {
    TWaveFileStream Wave(Name, fmCreate);
    Wave.SetPCMFormat(44100, 8, 1);
    Wave.Open(true);
    Wave.WriteBuffer("xyz", 3);
    throw EWriteError();
  } catch (const EWriteError&) {
  }
  EXPECT_EQ(OpenFileCount(), Before);
  EXPECT_EQ(test::ReadFile(Name), test::ExpectedMonoWave({'x', 'y', 'z'}));
}

}  // namespace
}  // namespace kvetro
