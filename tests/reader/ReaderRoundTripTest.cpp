// Kvetro's own WAVs and tape files in the machine's own layout, read back:
// the MZF file comes back byte for byte and the report says what was read.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "reader/TapeReader.h"
#include "tape/ConversionRun.h"
#include "tape/MemoryOutput.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ScriptedUser.h"
#include "wave/MemoryStream.h"
#include "wave/WaveStream.h"

namespace kvetro::test {

namespace {

using expected::Block;
using expected::Repeat;

// Converts File with Kvetro's conversion run, all in memory but the input.
TBytes KvetroWave(const TBytes& File, const expected::Conversion& C) {
  TScratchFolder Folder("reader");
  TScriptedUser User;
  User.InputFile = Folder.Write("in.mzf", File);
  User.OutputFile = "out.wav";
  User.BoxText = {std::to_string(C.User.Log0Lo), std::to_string(C.User.Log0Hi),
                  std::to_string(C.User.Log1Lo), std::to_string(C.User.Log1Hi)};
  User.Constant = C.MonitorConstant;
  User.LeadGap = C.LoaderGap;
  User.Gap = C.BodyGap;
  TMemoryOutputs Outputs;
  const auto Run = std::make_unique<TConversionRun>();
  Run->SetInvertLevels(C.Inverted);
  EXPECT_EQ(Run->Execute(User, Outputs), TRunOutcome::Written);
  return Outputs.Latest().Bytes;
}

// A mono 8-bit wave of the given samples at Rate.
TBytes Wave8(const TBytes& Samples, std::int32_t Rate = 44100) {
  TMemoryStream Memory;
  TWaveStream Wave(Memory);
  Wave.SetPCMFormat(Rate, 8, 1);
  Wave.Open(true);
  Wave.WriteBuffer(Samples.data(), static_cast<std::int32_t>(Samples.size()));
  Wave.Close();
  return Memory.Bytes();
}

// What the machine's own save routine writes for a file: a long gap, the
// header and its copy, a shorter gap, the body and its copy.
struct TMachineLayout {
  bool Copies = true;
  // Spoils bit Bit (0 is the first data bit) of the first header block.
  int SpoilHeaderBit = -1;
};

std::string MachinePulses(const TBytes& File, const TMachineLayout& Layout) {
  const TBytes Header(File.begin(), File.begin() + 128);
  const TBytes Body(File.begin() + 128, File.end());
  std::string FirstHeader = Block(Header);
  if (Layout.SpoilHeaderBit >= 0) {
    const auto At =
        static_cast<std::size_t>(Layout.SpoilHeaderBit / 8 * 9 + 1 + Layout.SpoilHeaderBit % 8);
    FirstHeader[At] = FirstHeader[At] == '1' ? '0' : '1';
  }
  const auto Copy = [&Layout](const TBytes& Bytes) {
    return Layout.Copies ? Repeat('0', 256) + Block(Bytes) + "1" : std::string();
  };
  return Repeat('0', 22000) + Repeat('1', 40) + Repeat('0', 40) + "1" + FirstHeader + "1" +
         Copy(Header) + Repeat('0', 11000) + Repeat('1', 20) + Repeat('0', 20) + "1" + Block(Body) +
         "1" + Copy(Body);
}

TEST(ReaderRoundTrip, KvetroWavesComeBackByteForByte) {
  struct TCase {
    const char* What;
    expected::Timing User;
    int Constant;
    int LoaderGap;
    int BodyGap;
    bool Inverted;
  };
  const TCase Cases[] = {
      {"defaults", {3, 1, 3, 2}, 1, 5000, 5000, false},
      {"fastest distinct timing", {1, 1, 1, 2}, 1, 100, 100, false},
      {"slowest timing", {128, 127, 128, 128}, 9, 10, 10, false},
      {"standard timing for the body", {9, 11, 18, 19}, 255, 10, 10, false},
      {"no gaps at all", {3, 1, 3, 2}, 7, 0, 0, false},
      {"inverted levels", {2, 2, 2, 4}, 1, 50, 0, true},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.What);
    const TBytes File = RandomMzf(300, 300, 21, 0x1200, 0x1234);
    expected::Conversion C;
    C.User = Case.User;
    C.MonitorConstant = Case.Constant;
    C.LoaderGap = Case.LoaderGap;
    C.BodyGap = Case.BodyGap;
    C.Inverted = Case.Inverted;
    const TTapeReport Report = ReadTape(KvetroWave(File, C), "k.wav");
    ASSERT_EQ(Report.Files.size(), 1u);
    const TFileReport& Read = Report.Files[0];
    EXPECT_TRUE(Read.Whole);
    EXPECT_TRUE(Read.FastLoader);
    EXPECT_EQ(Read.MonitorConstant, Case.Constant);
    EXPECT_EQ(Read.Mzf, File);
    EXPECT_TRUE(Report.Problems.empty());
  }
}

TEST(ReaderRoundTrip, MachineLayoutWithAndWithoutCopies) {
  const TBytes File = RandomMzf(500, 500, 5);
  for (const bool Copies : {true, false}) {
    for (const int Rate : {22050, 44100, 96000}) {
      SCOPED_TRACE(std::to_string(Rate) + (Copies ? " with copies" : " without"));
      const TBytes Samples =
          expected::Samples(MachinePulses(File, {Copies, -1}), expected::kStandardTiming);
      const TTapeReport Report = ReadTape(Wave8(Samples, Rate), "m.wav");
      ASSERT_EQ(Report.Files.size(), 1u);
      EXPECT_TRUE(Report.Files[0].Whole);
      EXPECT_FALSE(Report.Files[0].FastLoader);
      EXPECT_EQ(Report.Files[0].Mzf, File);
      EXPECT_EQ(Report.Files[0].Header.CopyFound, Copies);
      EXPECT_EQ(Report.Files[0].Header.Source, TBlockSource::First);
    }
  }
}

}  // namespace

}  // namespace kvetro::test
