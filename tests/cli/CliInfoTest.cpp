// --info: what an MZF file holds and how long its sound plays, exactly as
// printed, and nothing written.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <filesystem>

#include "tape/ConversionPlan.h"
#include "tests/support/CliRunner.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/WaveBytes.h"

namespace kvetro::test {

namespace {

// The body the second pass sends: the header's size of bytes after it, zeros
// where the file ends early.
TBytes SentBody(const TBytes& File) {
  const std::size_t Size = File.at(0x12) | File.at(0x13) << 8;
  TBytes Body(Size, 0);
  for (std::size_t Index = 0; Index < Size && 128 + Index < File.size(); ++Index) {
    Body[Index] = File[128 + Index];
  }
  return Body;
}

// The samples of the body pass, straight from the tape format: one long
// pulse, 1000 + gap short pulses, a tape mark of 20 long and 20 short, one
// long, the framed body bytes and two checksum bytes, two long end pulses.
std::uint64_t BodyPassSamples(const TBytes& Body, std::uint64_t Gap, int ShortSamples,
                              int LongSamples) {
  std::uint64_t Ones = 0;
  for (const std::uint8_t Byte : Body) {
    Ones += static_cast<std::uint64_t>(std::popcount(Byte));
  }
  const auto Checksum = static_cast<std::uint16_t>(Ones);
  Ones += static_cast<std::uint64_t>(std::popcount(Checksum));
  const std::uint64_t Framed = Body.size() + 2;
  const std::uint64_t Long = 24 + Framed + Ones;
  const std::uint64_t Short = 1020 + Gap + 8 * Framed - Ones;
  return Short * static_cast<std::uint64_t>(ShortSamples) +
         Long * static_cast<std::uint64_t>(LongSamples);
}

std::string TimeLine(const std::string& Label, std::uint64_t Samples, double Rate = 44100.0) {
  char Seconds[40];
  std::snprintf(Seconds, sizeof Seconds, "%.3f s", static_cast<double>(Samples) / Rate);
  return Label + Seconds + " (" + std::to_string(Samples) + " samples)\n";
}

class CliInfo : public ::testing::Test {
 protected:
  // The data size of the WAV that kvetro-cli writes for Input with Options.
  std::uint64_t WrittenSamples(std::vector<std::string> Options) {
    const std::string Check = Scratch.PathOf("check.wav");
    Options.insert(Options.end(), {Input, Check});
    EXPECT_EQ(RunCli(Options).ExitCode, 0);
    const TBytes Wave = ReadFile(Check);
    std::filesystem::remove(Check);
    EXPECT_EQ(Wave.size(), TConversionPlan::WaveHeaderSize + LittleEndian32(Wave, 42));
    return LittleEndian32(Wave, 42);
  }

  TCliResult Info(const std::vector<std::string>& Options = {}) {
    std::vector<std::string> Arguments{"--info"};
    Arguments.insert(Arguments.end(), Options.begin(), Options.end());
    Arguments.push_back(Input);
    const TCliResult Result = RunCli(Arguments);
    EXPECT_EQ(Scratch.Names(), std::vector<std::string>{"in.mzf"}) << "--info writes nothing";
    EXPECT_TRUE(Result.TempLeft.empty());
    return Result;
  }

  TScratchFolder Scratch{"cli-info"};
  std::string Input = Scratch.PathOf("in.mzf");
};

// The times are checked against the WAV that the same options write and the
// body pass counted from the format.
TEST_F(CliInfo, DescribesTheFileAndThePlayingTime) {
  TBytes Short = MzfFile(0x01, "TINY", 0x0040, 0x1200, 0x1200, {});
  Short.resize(30);  // the header up to the addresses, nothing after
  struct TCase {
    TBytes File;
    std::vector<std::string> Options;
    std::uint64_t Gap;
    int ShortPulse, LongPulse;
    std::string Description;
    std::string Errors;
  };
  const TCase Cases[] = {
      {MzfFile(0x01, "HELLO", 16, 0x1200, 0x1234, TBytes(16, 0x00)),
       {},
       5000,
       3 + 1,
       3 + 2,
       "File type:          0x01\n"
       "File name:          \"HELLO\"\n"
       "Body size:          16 bytes (0x0010)\n"
       "Load address:       0x1200\n"
       "Execution address:  0x1234\n"
       "Body in the file:   16 of 16 bytes\n",
       ""},
      {MzfFile(0x01, "TIMED", 3, 0x2000, 0x2000, {0xFF, 0x00, 0x81}),
       {"--zero", "2,5", "--one", "7,1", "--constant", "77", "--loader-gap", "10", "--body-gap",
        "99"},
       99,
       2 + 5,
       7 + 1,
       "File type:          0x01\n"
       "File name:          \"TIMED\"\n"
       "Body size:          3 bytes (0x0003)\n"
       "Load address:       0x2000\n"
       "Execution address:  0x2000\n"
       "Body in the file:   3 of 3 bytes\n",
       ""},
      // 0x0100 bytes announced, 50 there; the name fills all 17 bytes with
      // odd characters in it.
      {MzfFile(0x02,
               "A\x01"
               "B\x7F"
               "CDEFGHIJKLMNO",
               0x0100, 0xC000, 0x0000, TBytes(50, 0x00)),
       {},
       5000,
       4,
       5,
       "File type:          0x02\n"
       "File name:          \"A?B?CDEFGHIJKLMNO\"\n"
       "Body size:          256 bytes (0x0100)\n"
       "Load address:       0xC000\n"
       "Execution address:  0x0000\n"
       "Body in the file:   50 of 256 bytes, 206 missing (sent as zeros)\n",
       "Warning: The header does not look like an MZF tape image's: the name has no end mark "
       "(0x0D) within its 17 bytes; the body size, 256 bytes, is more than 4 times the 50 bytes "
       "after the header\n"},
      {MzfFile(0x01, "TAIL", 10, 0x1200, 0x1200, TBytes(30, 0x00)),
       {},
       5000,
       4,
       5,
       "File type:          0x01\n"
       "File name:          \"TAIL\"\n"
       "Body size:          10 bytes (0x000A)\n"
       "Load address:       0x1200\n"
       "Execution address:  0x1200\n"
       "Body in the file:   10 of 10 bytes, then 20 more bytes (not sent)\n",
       ""},
      {Short,
       {},
       5000,
       4,
       5,
       "Header in the file: 30 of 128 bytes (the rest read as zeros)\n"
       "File type:          0x01\n"
       "File name:          \"TINY\"\n"
       "Body size:          64 bytes (0x0040)\n"
       "Load address:       0x1200\n"
       "Execution address:  0x1200\n"
       "Body in the file:   0 of 64 bytes, 64 missing (sent as zeros)\n",
       "Warning: The header does not look like an MZF tape image's: the file holds only 30 bytes "
       "of the 128-byte header; the body size, 64 bytes, is more than 4 times the 0 bytes after "
       "the header\n"},
  };
  for (const TCase& Case : Cases) {
    SCOPED_TRACE(Case.Description);
    WriteFile(Input, Case.File);
    const std::uint64_t Total = WrittenSamples(Case.Options);
    const std::uint64_t Body =
        BodyPassSamples(SentBody(Case.File), Case.Gap, Case.ShortPulse, Case.LongPulse);
    const TCliResult Result = Info(Case.Options);
    EXPECT_EQ(Result.ExitCode, 0);
    EXPECT_EQ(Result.Errors, Case.Errors);
    EXPECT_EQ(Result.OutText(),
              Case.Description + TimeLine("Loader file:        ", Total - Body) +
                  TimeLine("Body:               ", Body) + TimeLine("Total:              ", Total) +
                  "WAV file:           " + std::to_string(Total + TConversionPlan::WaveHeaderSize) +
                  " bytes\n");
  }
}

// With a layout or a rate chosen, the layout, the rate and each file's
// timing at that rate come before the times; the machine's own layout is
// counted from the format.
TEST_F(CliInfo, ALayoutOrRateShowsTheTimingAtThatRate) {
  const TBytes File = MzfFile(0x01, "HELLO", 16, 0x1200, 0x1234, TBytes(16, 0x5A));
  WriteFile(Input, File);
  const std::string Header =
      "File type:          0x01\n"
      "File name:          \"HELLO\"\n"
      "Body size:          16 bytes (0x0010)\n"
      "Load address:       0x1200\n"
      "Execution address:  0x1234\n"
      "Body in the file:   16 of 16 bytes\n";
  const std::string Standard48k =
      "  short pulse (0):  10 + 12 samples (208.3 + 250.0 \u00b5s)\n"
      "  long pulse (1):   20 + 21 samples (416.7 + 437.5 \u00b5s)\n";
  const auto Ending = [](std::uint64_t Total) {
    return TimeLine("Total:              ", Total, 48000) +
           "WAV file:           " + std::to_string(Total + TConversionPlan::WaveHeaderSize) +
           " bytes\n";
  };

  const std::vector<std::string> Standard{"--standard", "--rate", "48000"};
  const std::string Pulses =
      expected::StandardTapeFile(expected::Slice(File, 0, 128), expected::UserBody(File), true);
  const auto Shorts = static_cast<std::uint64_t>(std::count(Pulses.begin(), Pulses.end(), '0'));
  const std::uint64_t Tape = Shorts * 22 + (Pulses.size() - Shorts) * 41;
  EXPECT_EQ(WrittenSamples(Standard), Tape);
  TCliResult Result = Info(Standard);
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_EQ(Result.OutText(), Header +
                                  "Layout:             the machine's own, with copies\n"
                                  "Sample rate:        48000 Hz\n" +
                                  TimeLine("Tape file:          ", Tape, 48000) + Standard48k +
                                  Ending(Tape));

  // The default fast pulses keep their sample counts at 48000 Hz.
  const std::uint64_t Total = WrittenSamples({"--rate", "48000"});
  const std::uint64_t Body = BodyPassSamples(SentBody(File), 5000, 3 + 1, 3 + 2);
  Result = Info({"--rate", "48000"});
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_EQ(Result.OutText(), Header +
                                  "Layout:             fast loader\n"
                                  "Sample rate:        48000 Hz\n" +
                                  TimeLine("Loader file:        ", Total - Body, 48000) +
                                  Standard48k + TimeLine("Body:               ", Body, 48000) +
                                  "  short pulse (0):  3 + 1 samples (62.5 + 20.8 \u00b5s)\n"
                                  "  long pulse (1):   3 + 2 samples (62.5 + 41.7 \u00b5s)\n" +
                                  Ending(Total));
}

// A file that cannot be converted is still described, as far as it goes,
// and the refusal follows on standard error.
TEST_F(CliInfo, AFileShorterThanTheSizeFieldCannotBeConverted) {
  // Ten bytes: a type and a name that the file cuts off; the size reads 0.
  WriteFile(Input, TBytes{0x05, 'S', 'H', 'O', 'R', 'T', 'N', 'A', 'M', 'E'});
  const TCliResult Result = Info();
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.OutText(),
            "Header in the file: 10 of 128 bytes (the rest read as zeros)\n"
            "File type:          0x05\n"
            "File name:          \"SHORTNAME????????\"\n"
            "Body size:          0 bytes (0x0000)\n"
            "Load address:       0x0000\n"
            "Execution address:  0x0000\n"
            "Body in the file:   0 of 0 bytes\n");
  EXPECT_EQ(Result.Errors, "Body size in the file header is 0\n");
}

TEST_F(CliInfo, AnOutputOver2GBIsReportedAsTheRunRefusesIt) {
  WriteFile(Input, CountingMzf(10));
  const TCliResult Result = Info({"--body-gap", "2147483647"});
  EXPECT_EQ(Result.ExitCode, 1);
  const std::uint64_t Body = BodyPassSamples(CountingBody(10, 0), 2147483647, 4, 5);
  EXPECT_NE(Result.OutText().find(TimeLine("Body:               ", Body)), std::string::npos)
      << Result.OutText();
  EXPECT_EQ(Result.Errors, "Output would be larger than 2 GB\n");
}

// A tape lists each file, its bytes behind the body shown as in a lone file,
// with its time in the machine's own layout counted from the format; the
// fast loader lists the files and refuses them.
TEST_F(CliInfo, ATapeListsEachFileWithItsTime) {
  TBytes Tape = MzfFile(0x01, "BASIC", 100, 0x1200, 0x1200, CountingBody(100, 0));
  const TBytes Game = MzfFile(0x01, "GAME", 20, 0x6000, 0x6010, CountingBody(30, 0));
  const auto SamplesOf = [](const TBytes& File) {
    const expected::Conversion Own{.User = expected::kStandardTiming,
                                   .Tape = expected::Layout::Standard};
    return expected::ConvertedTape({File}, Own).size() - TConversionPlan::WaveHeaderSize;
  };
  const std::uint64_t Samples[] = {SamplesOf(Tape), SamplesOf(Game)};
  Tape.insert(Tape.end(), Game.begin(), Game.end());
  WriteFile(Input, Tape);
  const std::string Files[] = {
      "File 1 of 2 (" + Input +
          "):\n"
          "File type:          0x01\n"
          "File name:          \"BASIC\"\n"
          "Body size:          100 bytes (0x0064)\n"
          "Load address:       0x1200\n"
          "Execution address:  0x1200\n"
          "Body in the file:   100 of 100 bytes\n",
      "File 2 of 2 (" + Input +
          "):\n"
          "File type:          0x01\n"
          "File name:          \"GAME\"\n"
          "Body size:          20 bytes (0x0014)\n"
          "Load address:       0x6000\n"
          "Execution address:  0x6010\n"
          "Body in the file:   20 of 20 bytes, then 10 more bytes (not sent)\n"};
  TCliResult Result = Info({"--standard"});
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_EQ(Result.Errors, "");
  EXPECT_EQ(Result.OutText(),
            Files[0] + TimeLine("Tape file:          ", Samples[0]) + "\n" + Files[1] +
                TimeLine("Tape file:          ", Samples[1]) +
                "\nLayout:             the machine's own, with copies\n"
                "Sample rate:        44100 Hz\n"
                "  short pulse (0):  9 + 11 samples (204.1 + 249.4 \u00b5s)\n"
                "  long pulse (1):   18 + 19 samples (408.2 + 430.8 \u00b5s)\n" +
                TimeLine("Total:              ", Samples[0] + Samples[1]) + "WAV file:           " +
                std::to_string(Samples[0] + Samples[1] + TConversionPlan::WaveHeaderSize) +
                " bytes\n");
  EXPECT_EQ(WrittenSamples({"--standard"}), Samples[0] + Samples[1]);

  Result = Info();
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.OutText(), Files[0] + "\n" + Files[1]);
  EXPECT_EQ(Result.Errors,
            "The fast loader takes one program, and the input holds 2 files: --standard writes "
            "them all, one after the other, in the machine's own layout\n");
}

}  // namespace

}  // namespace kvetro::test
