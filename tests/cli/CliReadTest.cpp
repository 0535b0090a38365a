// kvetro-cli read, run as the user runs it: recordings made by kvetro-cli and
// by the reference model of the tape signal come back as MZF files, named
// safely inside the chosen folder; existing files, dry runs, files not read
// whole and bad recordings each end as they should.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

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

TEST_F(CliRead, NothingFoundSaysWhatToTry) {
  const TCliResult Result = Read(expected::WaveFile(TBytes(8000, 0x80)));
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "No tape file found in " + Scratch.PathOf("rec.wav") +
                               ". Try another playback level, the other polarity (--invert or "
                               "--no-invert) or another channel (--channel N).\n");
}

TEST_F(CliRead, BadRecordingsAreRefusedWithTheirReason) {
  Scratch.MakeFolder("folder.wav");
  ASSERT_EQ(mkfifo(Scratch.PathOf("pipe.wav").c_str(), 0600), 0);
  const struct {
    const char* Name;
    TBytes Bytes;  // written unless the name is made above or missing
    std::string Why;
  } Cases[] = {
      // The reader's own refusals are told as it words them (the reader's
      // tests hold every one); the file's failures as the system says them.
      {"text.wav", TBytes(100, 'x'), "not a WAV file (no RIFF/WAVE header)"},
      {"folder.wav", {}, "Is a directory"},
      {"pipe.wav", {}, "Not a regular file"},
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

}  // namespace

}  // namespace kvetro::test
