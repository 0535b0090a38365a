// A conversion run that fails half way through writing, at the level of the
// run itself: a user whose timing boxes fail after a given number of reads.
// The encoder reads a box for every pulse half, so the fault lands at an
// exact point of the output, in the loader pass or in the body pass, and
// stands for any failure there. Afterwards the chosen name holds what it held
// before (or nothing), no temporary file is left, the start button is enabled
// again and the boxes show the user's timing.
#include <gtest/gtest.h>

#include <array>

#include "TestMzf.h"
#include "tape/ConversionRun.h"
#include "tests/support/ScratchFolder.h"
#include "wave/Exception.h"

namespace kvetro::test {

namespace {

class EInjectedFault : public Exception {
 public:
  EInjectedFault() : Exception("Injected fault") {}
};

class TFailingUser : public TConversionUser {
 public:
  std::string Input;
  std::string Output;
  long FailAfterReads = -1;  // -1: never
  long Reads = 0;
  bool StartEnabled = true;
  std::array<std::int32_t, 4> Boxes = {3, 1, 3, 2};

  std::optional<std::string> ChooseInputFile() override { return Input; }
  std::optional<std::string> ChooseOutputFile() override { return Output; }
  void ShowMessage(const std::string& Text) override { ADD_FAILURE() << "message: " << Text; }
  void SetStartEnabled(bool Enabled) override { StartEnabled = Enabled; }
  std::int32_t ReadTiming(TimingBox Box) override {
    if (Reads++ == FailAfterReads) {
      throw EInjectedFault();
    }
    return Boxes[static_cast<std::size_t>(Box)];
  }
  void WriteTiming(TimingBox Box, std::int32_t Value) override {
    Boxes[static_cast<std::size_t>(Box)] = Value;
  }
  std::int32_t MonitorConstant() override { return 1; }
  std::int32_t LoaderGap() override { return 100; }
  std::int32_t BodyGap() override { return 100; }
  void ProcessMessages() override {}
};

class RunFailure : public ::testing::TestWithParam<long> {
 protected:
  void SetUp() override {
    User.Input = Scratch.PathOf("in.mzf");
    User.Output = Scratch.PathOf("out.wav");
    WriteFile(User.Input, MakeMzf(500, 500));
  }

  TScratchFolder Scratch;
  TFailingUser User;
  TConversionRun Run;
};

// A full run at these settings reads the four boxes four times: for the size
// check, to save them before the loader pass, and once at the start of each
// pass. The points below fall on the saving, the loader pass and the user's
// body pass (its last read, right before the body is written).
TEST_P(RunFailure, LeavesTheChosenNameAsItWas) {
  const TBytes Old = {'o', 'l', 'd'};
  for (const bool Existing : {true, false}) {
    SCOPED_TRACE(Existing ? "replacing a file" : "new name");
    if (Existing) {
      WriteFile(User.Output, Old);
    }
    const std::vector<std::string> Before = Scratch.Names();
    User.Reads = 0;
    User.FailAfterReads = GetParam();
    EXPECT_THROW(Run.Execute(User), EInjectedFault);
    EXPECT_GT(User.Reads, GetParam());
    EXPECT_EQ(Scratch.Names(), Before);
    if (Existing) {
      EXPECT_EQ(ReadFile(User.Output), Old);
      std::filesystem::remove(User.Output);
    }
    EXPECT_TRUE(User.StartEnabled);
    EXPECT_EQ(User.Boxes, (std::array<std::int32_t, 4>{3, 1, 3, 2}));
  }
}

INSTANTIATE_TEST_SUITE_P(FaultPoints, RunFailure, ::testing::Values(4, 8, 12, 15));

// The same user without a fault writes the file, so the points above are
// inside a run that would have succeeded.
TEST(RunFailureBaseline, WithoutAFaultTheRunWrites) {
  TScratchFolder Scratch;
  TFailingUser User;
  User.Input = Scratch.PathOf("in.mzf");
  User.Output = Scratch.PathOf("out.wav");
  WriteFile(User.Input, MakeMzf(500, 500));
  TConversionRun Run;
  EXPECT_EQ(Run.Execute(User), TRunOutcome::Written);
  EXPECT_GT(User.Reads, 15);
  EXPECT_EQ(Scratch.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
}

}  // namespace

}  // namespace kvetro::test
