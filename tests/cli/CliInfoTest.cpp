// --info: what an MZF file holds and how long its sound plays, exactly as
// printed, and nothing written.
#include <gtest/gtest.h>

#include <bit>
#include <cstdio>

#include "CliProcess.h"
#include "CliTestFiles.h"

namespace kvetro::test {

namespace {

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

std::string Seconds(std::uint64_t Samples) {
  char Text[40];
  std::snprintf(Text, sizeof Text, "%.3f s", static_cast<double>(Samples) / 44100.0);
  return Text;
}

std::string TimeLine(const std::string& Label, std::uint64_t Samples) {
  return Label + Seconds(Samples) + " (" + std::to_string(Samples) + " samples)\n";
}

class CliInfo : public ::testing::Test {
 protected:
  // The data size of the WAV that kvetro-cli writes for Input with Options.
  std::uint64_t WrittenSamples(const std::vector<std::string>& Options) {
    std::vector<std::string> Arguments = Options;
    Arguments.push_back(Input);
    Arguments.push_back(Scratch.File("check.wav"));
    const TCliResult Result = RunCli(Arguments, Scratch);
    EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
    const TBytes Wave = ReadFile(Scratch.File("check.wav"));
    std::filesystem::remove(Scratch.File("check.wav"));
    EXPECT_EQ(Wave.size(), WaveHeaderSize + LittleEndian32(Wave, 42));
    return LittleEndian32(Wave, 42);
  }

  TCliResult Info(const std::vector<std::string>& Options = {}) {
    std::vector<std::string> Arguments{"--info"};
    Arguments.insert(Arguments.end(), Options.begin(), Options.end());
    Arguments.push_back(Input);
    const std::vector<std::string> Before = Scratch.FileNames();
    const TCliResult Result = RunCli(Arguments, Scratch);
    EXPECT_EQ(Scratch.FileNames(), Before) << "--info writes nothing";
    EXPECT_TRUE(Scratch.TempNames().empty());
    return Result;
  }

  TScratch Scratch;
  std::string Input = Scratch.File("in.mzf");
};

TEST_F(CliInfo, AWholeFile) {
  const TBytes Body(16, 0x00);
  WriteFile(Input, MzfFile(0x01, "HELLO", 16, 0x1200, 0x1234, Body));
  const std::uint64_t Total = WrittenSamples({});
  const std::uint64_t BodySamples = BodyPassSamples(Body, 5000, 3 + 1, 3 + 2);

  const TCliResult Result = Info();
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_EQ(Result.Errors, "");
  EXPECT_EQ(Result.OutText(),
            "File type:          0x01\n"
            "File name:          \"HELLO\"\n"
            "Body size:          16 bytes (0x0010)\n"
            "Load address:       0x1200\n"
            "Execution address:  0x1234\n"
            "Body in the file:   16 of 16 bytes\n" +
                TimeLine("Loader file:        ", Total - BodySamples) +
                TimeLine("Body:               ", BodySamples) +
                TimeLine("Total:              ", Total) +
                "WAV file:           " + std::to_string(Total + 46) + " bytes\n");
}

TEST_F(CliInfo, TheSettingsChangeThePlayingTime) {
  const TBytes Body{0xFF, 0x00, 0x81};
  WriteFile(Input, MzfFile(0x01, "TIMED", 3, 0x2000, 0x2000, Body));
  const std::vector<std::string> Options{"--zero",     "2,5", "--one",        "7,1",
                                         "--constant", "77",  "--loader-gap", "10",
                                         "--body-gap", "99"};
  const std::uint64_t Total = WrittenSamples(Options);
  const std::uint64_t BodySamples = BodyPassSamples(Body, 99, 2 + 5, 7 + 1);

  const TCliResult Result = Info(Options);
  EXPECT_EQ(Result.ExitCode, 0);
  const std::string Text = Result.OutText();
  EXPECT_NE(Text.find(TimeLine("Loader file:        ", Total - BodySamples)), std::string::npos)
      << Text;
  EXPECT_NE(Text.find(TimeLine("Body:               ", BodySamples)), std::string::npos) << Text;
  EXPECT_NE(Text.find(TimeLine("Total:              ", Total)), std::string::npos) << Text;
}

TEST_F(CliInfo, ABodyThatRunsPastTheEndOfTheFile) {
  // 0x0100 bytes announced, 50 there; the name fills all 17 bytes with odd
  // characters in it.
  const TBytes Body(50, 0x00);
  const std::string Name = std::string("A\x01") + "B\x7F" + "CDEFGHIJKLMNO";  // 17 bytes
  WriteFile(Input, MzfFile(0x02, Name, 0x0100, 0xC000, 0x0000, Body));
  const std::uint64_t Total = WrittenSamples({});
  const std::uint64_t BodySamples = BodyPassSamples(TBytes(256, 0x00), 5000, 4, 5);

  const TCliResult Result = Info();
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_EQ(Result.Errors, "");
  EXPECT_EQ(Result.OutText(),
            "File type:          0x02\n"
            "File name:          \"A?B?CDEFGHIJKLMNO\"\n"
            "Body size:          256 bytes (0x0100)\n"
            "Load address:       0xC000\n"
            "Execution address:  0x0000\n"
            "Body in the file:   50 of 256 bytes, 206 missing (sent as zeros)\n" +
                TimeLine("Loader file:        ", Total - BodySamples) +
                TimeLine("Body:               ", BodySamples) +
                TimeLine("Total:              ", Total) +
                "WAV file:           " + std::to_string(Total + 46) + " bytes\n");
}

TEST_F(CliInfo, BytesAfterTheBodyAreCountedButNotSent) {
  const TBytes Body(30, 0x00);
  WriteFile(Input, MzfFile(0x01, "TAIL", 10, 0x1200, 0x1200, Body));
  const TCliResult Result = Info();
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_NE(
      Result.OutText().find("Body in the file:   10 of 10 bytes, then 20 more bytes (not sent)\n"),
      std::string::npos)
      << Result.OutText();
}

TEST_F(CliInfo, AFileShorterThanTheHeaderWithASize) {
  // 30 bytes: the header up to the addresses, nothing after.
  TBytes File = MzfFile(0x01, "TINY", 0x0040, 0x1200, 0x1200, {});
  File.resize(30);
  WriteFile(Input, File);
  const std::uint64_t Total = WrittenSamples({});
  const std::uint64_t BodySamples = BodyPassSamples(TBytes(64, 0x00), 5000, 4, 5);

  const TCliResult Result = Info();
  EXPECT_EQ(Result.ExitCode, 0);
  EXPECT_EQ(Result.OutText(),
            "Header in the file: 30 of 128 bytes (the rest read as zeros)\n"
            "File type:          0x01\n"
            "File name:          \"TINY\"\n"
            "Body size:          64 bytes (0x0040)\n"
            "Load address:       0x1200\n"
            "Execution address:  0x1200\n"
            "Body in the file:   0 of 64 bytes, 64 missing (sent as zeros)\n" +
                TimeLine("Loader file:        ", Total - BodySamples) +
                TimeLine("Body:               ", BodySamples) +
                TimeLine("Total:              ", Total) +
                "WAV file:           " + std::to_string(Total + 46) + " bytes\n");
}

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
  // The same text as the conversion's own refusal.
  const TCliResult Convert = RunCli({Input, Scratch.File("out.wav")}, Scratch);
  EXPECT_EQ(Convert.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Body size in the file header is 0\n");
  EXPECT_EQ(Result.Errors, Convert.Errors);
}

TEST_F(CliInfo, AnOutputOver2GBIsReportedAsTheRunRefusesIt) {
  WriteFile(Input, CountingMzf(10));
  const std::vector<std::string> Huge{"--body-gap", "2147483647"};
  const TCliResult Result = Info(Huge);
  EXPECT_EQ(Result.ExitCode, 1);
  TBytes Body(10);
  for (std::size_t Index = 0; Index < Body.size(); ++Index) {
    Body[Index] = static_cast<std::uint8_t>(Index);
  }
  const std::uint64_t BodySamples = BodyPassSamples(Body, 2147483647, 4, 5);
  EXPECT_NE(Result.OutText().find(TimeLine("Body:               ", BodySamples)), std::string::npos)
      << Result.OutText();
  std::vector<std::string> Arguments = Huge;
  Arguments.insert(Arguments.end(), {Input, Scratch.File("out.wav")});
  const TCliResult Convert = RunCli(Arguments, Scratch);
  EXPECT_EQ(Convert.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Output would be larger than 2 GB\n");
  EXPECT_EQ(Result.Errors, Convert.Errors);
  EXPECT_EQ(Scratch.FileNames(), std::vector<std::string>{"in.mzf"});
}

TEST_F(CliInfo, FilesThatCannotBeRead) {
  const TCliResult Missing = Info();
  EXPECT_EQ(Missing.ExitCode, 1);
  EXPECT_EQ(Missing.Errors, "Cannot read " + Input + ": No such file or directory\n");
  EXPECT_TRUE(Missing.Out.empty());

  WriteFile(Input, CountingMzf(65535 - 128));
  EXPECT_EQ(Info().ExitCode, 0) << "65535 bytes are accepted";
  WriteFile(Input, CountingMzf(65536 - 128));
  const TCliResult TooLarge = Info();
  EXPECT_EQ(TooLarge.ExitCode, 1);
  EXPECT_EQ(TooLarge.Errors, "File must be smaller than 64KB\n");
  EXPECT_TRUE(TooLarge.Out.empty());
}

}  // namespace

}  // namespace kvetro::test
