// kvetro-cli read, run as the user runs it: recordings made by kvetro-cli and
// by the reference model of the tape signal come back as MZF files, named
// safely inside the chosen folder; existing files, dry runs, files not read
// whole and bad recordings each end as they should.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/StreamedRead.h"
#include "tests/support/CliRunner.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/SameBytes.h"
#include "tests/support/WaveBytes.h"

namespace kvetro::test {

namespace {

using TNames = std::vector<std::string>;

// An MZF file named Name with a small counting body.
TBytes NamedMzf(const std::string& Name, std::uint8_t Seed) {
  return MzfFile(0x01, Name, 64, 0x1200, 0x1200, CountingBody(64, Seed));
}

// The pulses of File as one standard-timing tape file with short gaps.
std::string TapeFile(const TBytes& File) {
  return expected::FullTapeFile(expected::Slice(File, 0, 128), expected::UserBody(File), 200, 200);
}

TBytes Recording(const std::string& Pulses) {
  return expected::WaveFile(expected::Samples(Pulses, expected::kStandardTiming));
}

class CliRead : public ::testing::Test {
 protected:
  // Reads Recording into the folder out with Options; the folder holds
  // nothing else at first.
  TCliResult Read(const TBytes& RecordingBytes, TNames Options = {}) {
    const std::string Wave = Scratch.Write("rec.wav", RecordingBytes);
    Options.insert(Options.begin(), {"read", "--out", Out});
    Options.push_back(Wave);
    return RunCli(Options);
  }

  TScratchFolder Scratch{"cli-read"};
  std::string Out = Scratch.MakeFolder("out").string();
};

TEST_F(CliRead, KvetrosWavesComeBackByteForByte) {
  const TBytes Game = RandomMzf(3000, 3000, 7, 0x1200, 0x1234);
  const std::string Input = Scratch.Write("game.mzf", Game);
  for (const TNames& Layout : {TNames{}, TNames{"--standard"}}) {
    TNames Convert = Layout;
    Convert.insert(Convert.end(), {Input, Scratch.PathOf("game.wav")});
    ASSERT_EQ(RunCli(Convert).ExitCode, 0);
    const TCliResult Result = RunCli({"read", "--force", "--out", Out, Scratch.PathOf("game.wav")});
    EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
    EXPECT_EQ(Result.Errors, "");
    // RandomMzf's name holds codes without an ASCII counterpart: say which.
    const TNames Left = Scratch.Names("out");
    ASSERT_EQ(Left.size(), 1u);
    EXPECT_NE(Result.OutText().find("\nWrote " + Out + "/" + Left[0] + "\n"), std::string::npos)
        << Result.OutText();
    EXPECT_TRUE(SameBytes(ReadFile(Out + "/" + Left[0]), Game));
  }
}

TEST_F(CliRead, HostileAndRepeatedNamesLandInsideTheFolder) {
  const std::string Names[] = {"../X", "/etc/passwd", "/ETC/PASSWD", "..",   "\x01\x1F",
                               "",     "....",        "GAME",        "GAME", "GAME"};
  std::string Pulses;
  std::uint8_t Seed = 0;
  for (const std::string& Name : Names) {
    Pulses += TapeFile(NamedMzf(Name, Seed++));
  }
  const TCliResult Result = Read(Recording(Pulses));
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_EQ(Scratch.Names(), (TNames{"out", "rec.wav"}));
  EXPECT_EQ(Scratch.Names("out"),
            (TNames{"GAME-2.mzf", "GAME-3.mzf", "GAME.mzf", "_.mzf", "_ETC_PASSWD.mzf", "__-2.mzf",
                    "__.mzf", "___X.mzf", "____.mzf", "___________.mzf"}));
  EXPECT_TRUE(SameBytes(ReadFile(Out + "/GAME-3.mzf"), NamedMzf("GAME", 9)));
}

TEST_F(CliRead, AnExistingFileIsKeptUnlessForced) {
  const TBytes Rec = Recording(TapeFile(NamedMzf("OLD", 1)) + TapeFile(NamedMzf("NEW", 2)));
  const TBytes Earlier{'k', 'e', 'e', 'p'};
  WriteFile(Out + "/OLD.mzf", Earlier);
  TCliResult Result = Read(Rec);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Not written: " + Out + "/OLD.mzf exists (--force replaces it)\n");
  EXPECT_EQ(ReadFile(Out + "/OLD.mzf"), Earlier);
  EXPECT_TRUE(SameBytes(ReadFile(Out + "/NEW.mzf"), NamedMzf("NEW", 2)));

  Result = Read(Rec, {"--force"});
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_TRUE(SameBytes(ReadFile(Out + "/OLD.mzf"), NamedMzf("OLD", 1)));
  EXPECT_EQ(Scratch.Names("out"), (TNames{"NEW.mzf", "OLD.mzf"}));
}

TEST_F(CliRead, ADryRunWritesNothing) {
  const TCliResult Result = Read(Recording(TapeFile(NamedMzf("GAME", 1))), {"--dry-run"});
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_NE(Result.OutText().find("\nWould write " + Out + "/GAME.mzf\n"), std::string::npos);
  EXPECT_EQ(Scratch.Names("out"), TNames{});
}

// A body spoiled near its end, with no copy to fall back on.
TEST_F(CliRead, AFileNotReadWholeIsWrittenOnlyWithKeepBad) {
  const TBytes Game = NamedMzf("GAME", 1);
  std::string Pulses = TapeFile(Game);
  char& Spoiled = Pulses[Pulses.size() - 100];
  Spoiled = Spoiled == '1' ? '0' : '1';
  const TBytes Rec = Recording(Pulses);
  TCliResult Result = Read(Rec);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Not written: " + Out +
                               "/GAME.mzf (not read whole; --keep-bad writes what was read)\n");
  EXPECT_EQ(Scratch.Names("out"), TNames{});

  Result = Read(Rec, {"--keep-bad"});
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_NE(Result.OutText().find("\nWrote " + Out + "/GAME.bad.mzf (not read whole)\n"),
            std::string::npos);
  const TBytes Kept = ReadFile(Out + "/GAME.bad.mzf");
  ASSERT_EQ(Kept.size(), Game.size());
  EXPECT_TRUE(SameBytes(TBytes(Kept.begin(), Kept.begin() + 128), expected::Slice(Game, 0, 128)));
  EXPECT_NE(Kept, Game);
}

// --mzt: the files read whole, in the order of the recording, in one MZT
// equal to the one converted; alone it is all that is written, with --out
// the MZF files come too; a file not read whole is named and left out.
TEST_F(CliRead, AnMztOfTheReadEqualsTheOneConverted) {
  const TBytes Basic = NamedMzf("BASIC", 1);
  const TBytes Game = NamedMzf("GAME", 2);
  TBytes Side = Basic;
  Side.insert(Side.end(), Game.begin(), Game.end());
  const std::string Wave = Scratch.PathOf("side.wav");
  const std::string Mzt = Scratch.PathOf("back.mzt");
  ASSERT_EQ(RunCli({"--standard", Scratch.Write("side.mzt", Side), Wave}).ExitCode, 0);
  TCliResult Result = RunCli({"read", "--mzt", Mzt, Wave});
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  const std::string Wrote = "2 files found, 2 read whole\nWrote " + Mzt + " (2 files)\n";
  EXPECT_EQ(Result.OutText().substr(Result.OutText().size() - Wrote.size()), Wrote);
  EXPECT_TRUE(SameBytes(ReadFile(Mzt), Side));
  // Read as a stream, the MZT comes when the input ends; never over the recording.
  const std::string Streamed = Scratch.PathOf("streamed.mzt");
  EXPECT_EQ(RunCli({"read", "--mzt", Streamed, "-"}, {.Stdin = Wave}).ExitCode, 0);
  EXPECT_TRUE(SameBytes(ReadFile(Streamed), Side));
  Result = RunCli({"read", "--force", "--mzt", Wave, Wave});
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Not written: " + Wave + " is the recording\n");

  Result = Read(ReadFile(Wave), {"--force", "--mzt", Mzt});
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_EQ(Scratch.Names("out"), (TNames{"BASIC.mzf", "GAME.mzf"}));
  EXPECT_TRUE(SameBytes(ReadFile(Mzt), Side));

  std::string Pulses = TapeFile(Game);
  Pulses[Pulses.size() - 100] ^= 1;  // '0' and '1' differ in their last bit
  Result = Read(Recording(TapeFile(Basic) + Pulses), {"--force", "--mzt", Mzt});
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Not written: " + Out +
                               "/GAME.mzf (not read whole; --keep-bad writes what was read)\n"
                               "Left out of " +
                               Mzt + ": file 2, \"GAME\" (not read whole)\n");
  EXPECT_TRUE(SameBytes(ReadFile(Mzt), Basic));
}

TEST_F(CliRead, NothingFoundSaysWhatToTry) {
  const TCliResult Result = Read(expected::WaveFile(TBytes(8000, 0x80)));
  EXPECT_EQ(Result.ExitCode, 1);
  // Once, on one stream: the report's.
  EXPECT_EQ(Result.Errors, "");
  EXPECT_NE(Result.OutText().find("\nNo tape file found in " + Scratch.PathOf("rec.wav") +
                                  "; try another level, the other polarity or another channel\n"),
            std::string::npos);
}

TEST_F(CliRead, BadRecordingsAreRefusedWithTheirReason) {
  Scratch.MakeFolder("folder.wav");
  const struct {
    const char* Name;
    TBytes Bytes;  // written unless the name is made above or missing
    std::string Why;
  } Cases[] = {
      // The reader's own refusals are told as it words them (the reader's
      // tests hold every one); the file's failures as the system says them.
      {"text.wav", TBytes(100, 'x'), "not a WAV file (no RIFF/WAVE header)"},
      {"folder.wav", {}, "Is a directory"},
      {"missing.wav", {}, "No such file or directory"},
  };
  for (const auto& Case : Cases) {
    const std::string Name = Scratch.PathOf(Case.Name);
    if (!Case.Bytes.empty()) {
      WriteFile(Name, Case.Bytes);
    }
    const TCliResult Result = RunCli({"read", "--out", Out, Name});
    EXPECT_EQ(Result.ExitCode, 1) << Case.Name;
    EXPECT_EQ(Result.Errors, "Cannot read " + Name + ": " + Case.Why + "\n") << Case.Name;
    EXPECT_EQ(Result.OutText(), "") << Case.Name;
    EXPECT_EQ(Scratch.Names("out"), TNames{}) << Case.Name;
  }
}

TEST_F(CliRead, OutMakesItsFolderAndItsParents) {
  Out = Scratch.PathOf("tapes/2026/side a");
  const TCliResult Result = Read(Recording(TapeFile(NamedMzf("GAME", 1))));
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_TRUE(SameBytes(ReadFile(Out + "/GAME.mzf"), NamedMzf("GAME", 1)));
}

// A recording fed through a named pipe while kvetro-cli reads it: as its
// standard input ("read -") or by the pipe's name.
class CliReadStream : public CliRead {
 protected:
  // Feed writes into the pipe; when it returns, the pipe is closed.
  TCliResult ReadFed(bool AsStandardInput, const std::function<void(std::FILE*)>& Feed,
                     TNames Options = {}) {
    std::signal(SIGPIPE, SIG_IGN);  // a child that stops early must not end the test
    const std::string Pipe = Scratch.PathOf("pipe.wav");
    EXPECT_EQ(mkfifo(Pipe.c_str(), 0600), 0);
    std::thread Writer([&Pipe, &Feed] {
      std::FILE* Into = std::fopen(Pipe.c_str(), "wb");
      Feed(Into);
      std::fclose(Into);
    });
    Options.insert(Options.begin(), {"read", "--out", Out});
    Options.push_back(AsStandardInput ? "-" : Pipe);
    TCliOptions Child;
    Child.Stdin = AsStandardInput ? Pipe : "";
    const TCliResult Result = RunCli(Options, Child);
    Writer.join();
    std::remove(Pipe.c_str());
    return Result;
  }
  static void Put(std::FILE* Into, const TBytes& Bytes) {
    std::fwrite(Bytes.data(), 1, Bytes.size(), Into);
    std::fflush(Into);
  }
};

// A WAV as a program writing to a pipe leaves it: sizes it could not know.
TBytes StreamedWave(const TBytes& Samples, std::uint32_t Size) {
  TBytes Wave = expected::WaveFile(Samples);
  const std::size_t DataSize = Wave.size() - Samples.size() - 4;
  for (const std::size_t At : {std::size_t{4}, DataSize}) {
    for (int Byte = 0; Byte < 4; ++Byte) {
      Wave[At + static_cast<std::size_t>(Byte)] = static_cast<std::uint8_t>(Size >> (8 * Byte));
    }
  }
  return Wave;
}

TEST_F(CliReadStream, EachStreamedSizeMeansUntilTheEnd) {
  const TBytes Game = NamedMzf("GAME", 3);
  const TBytes Samples = expected::Samples(TapeFile(Game), expected::kStandardTiming);
  TBytes Sized = expected::WaveFile(Samples);
  AppendChunk(Sized, "LIST", TBytes(400, 0x55));  // after the data: not samples
  const struct {
    TBytes Wave;
    bool AsStandardInput;
  } Cases[] = {{StreamedWave(Samples, 0), true},
               {StreamedWave(Samples, 0x7FFFFFFF), true},
               {StreamedWave(Samples, 0xFFFFFFFF), true},
               {Sized, true},
               {StreamedWave(Samples, 0xFFFFFFFF), false}};
  for (const auto& Case : Cases) {
    const TCliResult Result =
        ReadFed(Case.AsStandardInput, [&Case](std::FILE* Into) { Put(Into, Case.Wave); });
    EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
    EXPECT_EQ(Result.Errors, "");
    EXPECT_NE(Result.OutText().find(": 0:01.7 read, normal polarity"), std::string::npos)
        << Result.OutText();
    EXPECT_TRUE(SameBytes(ReadFile(Out + "/GAME.mzf"), Game));
    std::remove((Out + "/GAME.mzf").c_str());
  }
}

// The first file is written while the pipe is still open; the second is
// cut in the middle of its body: reported, not written as good.
TEST_F(CliReadStream, FilesAreKeptAsTheyComeAndACutOneIsReported) {
  const TBytes First = NamedMzf("FIRST", 1);
  const TBytes Cut = MzfFile(0x01, "CUT", 2000, 0x1200, 0x1200, CountingBody(2000, 2));
  TBytes FirstSamples = expected::Samples(TapeFile(First), expected::kStandardTiming);
  FirstSamples.resize(FirstSamples.size() + 44100, 0x80);  // a second of silence after it
  const TBytes Head = StreamedWave(FirstSamples, 0xFFFFFFFF);
  TBytes Rest = expected::Samples(TapeFile(Cut), expected::kStandardTiming);
  Rest.resize(Rest.size() * 4 / 10);
  bool WrittenBeforeTheEnd = false;
  const TCliResult Result = ReadFed(true, [&](std::FILE* Into) {
    Put(Into, Head);
    for (int Wait = 0; Wait < 300 && !WrittenBeforeTheEnd; ++Wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      WrittenBeforeTheEnd = Scratch.Names("out") == TNames{"FIRST.mzf"};
    }
    Put(Into, Rest);
  });
  EXPECT_TRUE(WrittenBeforeTheEnd);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors,
            "Not written: " + Out + "/CUT.mzf (not read whole; --keep-bad writes what was read)\n");
  const std::string Text = Result.OutText();
  const auto Wrote = Text.find("\nWrote " + Out + "/FIRST.mzf\n");
  const auto Cutting = Text.find("File 2 at 0:");
  EXPECT_LT(Wrote, Cutting) << Text;
  EXPECT_NE(Text.find("\"CUT\", type 0x01, 2000 bytes, load 0x1200, exec 0x1200: NOT read whole"),
            std::string::npos)
      << Text;
  EXPECT_EQ(Scratch.Names("out"), TNames{"FIRST.mzf"});
  EXPECT_TRUE(SameBytes(ReadFile(Out + "/FIRST.mzf"), First));
}

// Ctrl+C while the input is still open ends the reading as its end does:
// the file read whole is kept and the run ends by itself.
TEST_F(CliReadStream, AnInterruptEndsTheReadingAndKeepsTheFiles) {
  std::signal(SIGPIPE, SIG_IGN);
  const TBytes Game = NamedMzf("GAME", 4);
  const std::string Pipe = Scratch.PathOf("pipe.wav");
  ASSERT_EQ(mkfifo(Pipe.c_str(), 0600), 0);
  TCliOptions Child;
  Child.Stdin = Pipe;
  TBackgroundCli Cli({"read", "--out", Out, "-"}, Child);
  std::FILE* Into = std::fopen(Pipe.c_str(), "wb");
  TBytes Samples = expected::Samples(TapeFile(Game), expected::kStandardTiming);
  Samples.resize(Samples.size() + 44100, 0x80);
  Put(Into, StreamedWave(Samples, 0));
  for (int Wait = 0; Wait < 300 && Scratch.Names("out").empty(); ++Wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  int Exit = -1;
  EXPECT_EQ(Cli.Stop(SIGINT), 0) << "ended by itself";
  EXPECT_EQ(Cli.Wait(&Exit), 0);
  std::fclose(Into);
  EXPECT_EQ(Exit, 0);
  EXPECT_TRUE(SameBytes(ReadFile(Out + "/GAME.mzf"), Game));
}

TEST_F(CliReadStream, BadStreamsAreRefusedWithTheirReason) {
  TBytes DataFirst = RiffHeader(0);
  AppendChunk(DataFirst, "data", TBytes(4, 0x80));
  TBytes SlowRate = RiffHeader(0);
  AppendChunk(SlowRate, "fmt ", PcmFormatRecord(1, 4000, 4000, 1, 8));
  AppendChunk(SlowRate, "data", TBytes(4, 0x80));
  const struct {
    TBytes Bytes;
    std::string Why;
  } Cases[] = {
      {{}, "the stream is empty"},
      {TBytes(100, 'x'), "not a WAV file (no RIFF/WAVE header)"},
      {DataFirst, "no format chunk before the data"},
      {SlowRate, "sample rate 4000 Hz is outside 8000 to 192000 Hz"},
  };
  for (const auto& Case : Cases) {
    TCliOptions Child;
    Child.Stdin = Scratch.Write("in.wav", Case.Bytes);
    const TCliResult Result = RunCli({"read", "--out", Out, "-"}, Child);
    EXPECT_EQ(Result.ExitCode, 1) << Case.Why;
    EXPECT_EQ(Result.Errors, "Cannot read -: " + Case.Why + "\n");
    EXPECT_EQ(Result.OutText(), "");
  }
}

// On a terminal, standard error shows one updating line while a stream is
// read; it is taken away before each file's report and at the end, once.
TEST(CliReadProgress, TheUpdatingLineIsTakenAwayBeforeEachReport) {
  TScratchFolder Scratch{"cli-progress"};
  TReadSettings Settings;
  Settings.RecordingName =
      Scratch.Write("rec.wav", Recording(TapeFile(NamedMzf("A", 1)) + TapeFile(NamedMzf("B", 2))));
  Settings.DryRun = true;
  std::ostringstream Out;
  std::ostringstream Errors;
  EXPECT_EQ(RunStreamedRead(Settings, Out, Errors, true), 0);
  const std::string Shown = Errors.str();
  const std::string Clear = "\r\033[K";
  const auto Count = [&Shown](const std::string& Part) {
    std::size_t N = 0;
    for (auto At = Shown.find(Part); At != std::string::npos; At = Shown.find(Part, At + 1)) {
      ++N;
    }
    return N;
  };
  // Each line shown, then taken away before the next.
  EXPECT_EQ(Shown.rfind("\r0:0", 0), 0u) << Shown;
  EXPECT_EQ(Count("\033[K\r\033[K"), Count(" read whole"));
  EXPECT_EQ(Count("\r"), 2 * Count(" read whole"));
  EXPECT_EQ(Shown.substr(Shown.size() - Clear.size()), Clear);
  EXPECT_NE(Shown.find("1 file read whole"), std::string::npos);
}

}  // namespace

}  // namespace kvetro::test
