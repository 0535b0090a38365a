// What the output name stands for, through kvetro-cli as a real process:
// two runs on one name, a name at the system's length limit, write-protected
// and shared files, symbolic links and a FIFO. Each run's WAV must equal the
// one the same options write to a plain new file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/CliRunner.h"
#include "tests/support/MzfBuilder.h"

namespace kvetro::test {

namespace {

namespace fs = std::filesystem;

class CliOutput : public ::testing::Test {
 protected:
  void SetUp() override { WriteFile(Input, MakeMzf(300, 300)); }

  // The WAV that Options make, written to a new plain file.
  TBytes Reference(std::vector<std::string> Options = {}) {
    Options.insert(Options.end(), {Input, Scratch.PathOf("reference.wav")});
    EXPECT_EQ(RunCli(Options).ExitCode, 0);
    TBytes Bytes = ReadFile(Scratch.PathOf("reference.wav"));
    fs::remove(Scratch.PathOf("reference.wav"));
    return Bytes;
  }

  TScratchFolder Scratch;
  std::string Input = Scratch.PathOf("in.mzf");
  std::string Output = Scratch.PathOf("out.wav");
};

// The first run is held up by its long loader gap; the second, short one
// starts and ends meanwhile. Each writes a file of its own, so the name ends
// up with the whole WAV of the run that finished last, nothing mixed.
TEST_F(CliOutput, TwoRunsOnOneNameEachWriteAWholeWave) {
  // About 100 MB: the second run starts and ends while the first writes.
  const std::vector<std::string> Long = {"--loader-gap", "5000000"};
  TBackgroundCli First({Long[0], Long[1], Input, Output});
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  const TCliResult Second = RunCli({Input, Output});
  EXPECT_EQ(Second.ExitCode, 0) << Second.Errors;
  int Exit = -1;
  EXPECT_EQ(First.Wait(&Exit), 0);
  EXPECT_EQ(Exit, 0);
  const TBytes Written = ReadFile(Output);
  EXPECT_TRUE(Written == Reference(Long) || Written == Reference()) << "one run's WAV, whole";
  EXPECT_EQ(Scratch.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
}

// 250 bytes: legal, and no room for a temporary name made from it.
TEST_F(CliOutput, ANameNearTheLengthLimit) {
  const std::string Name = std::string(246, 'x') + ".wav";
  ASSERT_EQ(RunCli({Input, Scratch.PathOf(Name)}).ExitCode, 0);
  EXPECT_EQ(ReadFile(Scratch.PathOf(Name)), Reference());
  EXPECT_EQ(Scratch.Names(), (std::vector<std::string>{"in.mzf", Name}));
}

TEST_F(CliOutput, AWriteProtectedFileIsRefused) {
  TCliOptions Options;
  if (!AsUnprivilegedUser(Options, Scratch)) {
    GTEST_SKIP() << "cannot run as user " << kNobody << " here";
  }
  WriteFile(Output, {'o', 'l', 'd'});
  if (Options.UserId >= 0) {
    ASSERT_EQ(chown(Output.c_str(), kNobody, kNobody), 0);
  }
  fs::permissions(Output, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  const TCliResult Result = RunCli({Input, Output}, Options);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Output file is write-protected: " + Output + "\n");
  EXPECT_EQ(ReadFile(Output), (TBytes{'o', 'l', 'd'}));
  EXPECT_EQ(fs::status(Output).permissions(), fs::perms(0444));
}

// Someone else's file that its owner may write: the system's own reason,
// not "write-protected".
TEST_F(CliOutput, AnotherUsersFileIsRefusedWithTheSystemsReason) {
  TCliOptions Options;
  if (!AsUnprivilegedUser(Options, Scratch) || Options.UserId < 0) {
    GTEST_SKIP() << "needs root, to run as user " << kNobody << " on root's file";
  }
  WriteFile(Output, {'o', 'l', 'd'});
  fs::permissions(Output, fs::perms(0644));
  const TCliResult Result = RunCli({Input, Output}, Options);
  EXPECT_EQ(Result.ExitCode, 1);
  EXPECT_EQ(Result.Errors, "Cannot write " + Output + ": Permission denied\n");
  EXPECT_EQ(ReadFile(Output), (TBytes{'o', 'l', 'd'}));
}

// Replacing keeps what ls shows: the mode, and the owner where root writes.
TEST_F(CliOutput, AReplacedFileKeepsModeAndOwner) {
  WriteFile(Output, {'o', 'l', 'd'});
  fs::permissions(Output, fs::perms(0640));
  const bool Root = geteuid() == 0;
  if (Root) {
    ASSERT_EQ(chown(Output.c_str(), kNobody, kNobody), 0);
  }
  ASSERT_EQ(RunCli({Input, Output}).ExitCode, 0);
  EXPECT_EQ(ReadFile(Output), Reference());
  struct stat Status {};
  ASSERT_EQ(stat(Output.c_str(), &Status), 0);
  EXPECT_EQ(Status.st_mode & 07777, 0640u);
  if (Root) {
    EXPECT_EQ(Status.st_uid, static_cast<uid_t>(kNobody));
    EXPECT_EQ(Status.st_gid, static_cast<gid_t>(kNobody));
  }
}

// Renaming would split the names of a shared file, or is not allowed in the
// folder: the file is written in place, and every name sees the new WAV.
TEST_F(CliOutput, ASharedFileOrALockedFolderIsWrittenInPlace) {
  WriteFile(Output, {'o', 'l', 'd'});
  fs::create_hard_link(Output, Scratch.PathOf("other.wav"));
  ASSERT_EQ(RunCli({Input, Output}).ExitCode, 0);
  EXPECT_EQ(ReadFile(Scratch.PathOf("other.wav")), Reference());
  EXPECT_EQ(fs::hard_link_count(Output), 2u);

  TCliOptions Options;
  if (!AsUnprivilegedUser(Options, Scratch)) {
    GTEST_SKIP() << "cannot run as user " << kNobody << " here";
  }
  const fs::path Locked = Scratch.MakeFolder("locked");
  const std::string Inside = (Locked / "out.wav").string();
  WriteFile(Inside, {'o', 'l', 'd'});
  fs::permissions(Inside, fs::perms(0666));
  fs::permissions(Locked, fs::perms(0555));
  const TCliResult Result = RunCli({Input, Inside}, Options);
  fs::permissions(Locked, fs::perms(0755));
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_EQ(ReadFile(Inside), Reference());
  EXPECT_EQ(Scratch.Names("locked"), std::vector<std::string>{"out.wav"});
}

// A link stays a link; the file at its end gets the WAV, made if missing.
TEST_F(CliOutput, ASymbolicLinkIsFollowedToItsEnd) {
  for (const bool Dangling : {false, true}) {
    SCOPED_TRACE(Dangling ? "dangling" : "working");
    const std::string Target = Scratch.PathOf("target.wav");
    if (!Dangling) {
      WriteFile(Target, {'o', 'l', 'd'});
    }
    fs::create_symlink("target.wav", Output);
    ASSERT_EQ(RunCli({Input, Output}).ExitCode, 0);
    EXPECT_TRUE(fs::is_symlink(Output));
    EXPECT_EQ(ReadFile(Target), Reference());
    fs::remove(Output);
    fs::remove(Target);
  }
}

// One forward pass: a reader of a FIFO gets the whole WAV as it is made.
TEST_F(CliOutput, AFifoGetsTheWaveAsItIsMade) {
  const std::string Fifo = Scratch.PathOf("player");
  ASSERT_EQ(mkfifo(Fifo.c_str(), 0600), 0);
  TBytes Heard;
  std::thread Player([&] {
    std::ifstream Pipe(Fifo, std::ios::binary);
    Heard.assign(std::istreambuf_iterator<char>(Pipe), {});
  });
  const TCliResult Result = RunCli({Input, Fifo});
  Player.join();
  EXPECT_EQ(Result.ExitCode, 0) << Result.Errors;
  EXPECT_EQ(Heard, Reference());
}

}  // namespace

}  // namespace kvetro::test
