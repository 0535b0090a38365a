// A conversion run that fails half way through writing, at the level of the
// run itself: a user whose window fails at its Nth call once the output is
// open (the eight timing box writes and the two message passes around the
// loader file), so the fault lands before, inside or after the loader pass
// and stands for any failure there. Afterwards the chosen name holds what it
// held before (or nothing), no temporary file is left, the start button is
// enabled again and the boxes show the user's timing.
#include <gtest/gtest.h>

#include <cstdlib>

#include <array>

#include "io/Exception.h"
#include "tape/ConversionRun.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ScratchFolder.h"

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
  long FailAtCall = -1;  // -1: never
  long Calls = 0;        // timing box writes and message passes
  bool StartEnabled = true;
  std::array<std::int32_t, 4> Boxes = {3, 1, 3, 2};

  std::optional<std::string> ChooseInputFile() override { return Input; }
  std::optional<std::string> ChooseOutputFile() override { return Output; }
  void ShowMessage(const std::string& Text) override { ADD_FAILURE() << "message: " << Text; }
  void SetStartEnabled(bool Enabled) override { StartEnabled = Enabled; }
  std::int32_t ReadTiming(TimingBox Box) override { return Boxes[static_cast<std::size_t>(Box)]; }
  void WriteTiming(TimingBox Box, std::int32_t Value) override {
    Call();
    Boxes[static_cast<std::size_t>(Box)] = Value;
  }
  std::int32_t MonitorConstant() override { return 1; }
  std::int32_t LoaderGap() override { return 100; }
  std::int32_t BodyGap() override { return 100; }
  void ProcessMessages() override { Call(); }

 private:
  void Call() {
    if (Calls++ == FailAtCall) {
      throw EInjectedFault();
    }
  }
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

// A whole run makes ten calls: four box writes and a message pass before the
// loader file, four box writes and a message pass after it.
// Both ways of making the output, unnamed and under a hidden name
// (KVETRO_NO_TMPFILE): the window's process lives on after a failed run, so
// the run itself must leave nothing.
TEST_P(RunFailure, LeavesTheChosenNameAsItWas) {
  const TBytes Old = {'o', 'l', 'd'};
  for (const bool Existing : {true, false}) {
    for (const bool Hidden : {false, true}) {
      SCOPED_TRACE(std::string(Existing ? "replacing a file" : "new name") +
                   (Hidden ? ", hidden name" : ", unnamed"));
      if (Hidden) {
        setenv("KVETRO_NO_TMPFILE", "1", 1);
      } else {
        unsetenv("KVETRO_NO_TMPFILE");
      }
      if (Existing) {
        WriteFile(User.Output, Old);
      }
      const std::vector<std::string> Before = Scratch.Names();
      User.Calls = 0;
      User.FailAtCall = GetParam();
      EXPECT_THROW(Run.Execute(User), EInjectedFault);
      EXPECT_GT(User.Calls, GetParam());
      EXPECT_EQ(Scratch.Names(), Before);
      if (Existing) {
        EXPECT_EQ(ReadFile(User.Output), Old);
        std::filesystem::remove(User.Output);
      }
      EXPECT_TRUE(User.StartEnabled);
      EXPECT_EQ(User.Boxes, (std::array<std::int32_t, 4>{3, 1, 3, 2}));
    }
  }
  unsetenv("KVETRO_NO_TMPFILE");
}

INSTANTIATE_TEST_SUITE_P(FaultPoints, RunFailure, ::testing::Values(0, 3, 4, 5, 8, 9));

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
  EXPECT_EQ(User.Calls, 10);
  EXPECT_EQ(Scratch.Names(), (std::vector<std::string>{"in.mzf", "out.wav"}));
}

}  // namespace

}  // namespace kvetro::test
