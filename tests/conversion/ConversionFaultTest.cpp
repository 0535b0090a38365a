#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "ScriptedUser.h"
#include "io/InOutError.h"
#include "io/StreamErrors.h"
#include "tape/ConversionRun.h"
#include "tests/support/MachineFeatures.h"
#include "tests/support/MzfBuilder.h"
#include "tests/support/ReferenceSignal.h"
#include "tests/support/SameBytes.h"
#include "tests/support/ScratchFolder.h"

namespace kvetro {
namespace {

using Boxes = std::array<std::int32_t, 4>;
namespace fs = std::filesystem;
using test::NoFullDevice;
using test::ReadFile;
using test::TScratchFolder;

// Runs that must end without a broken or lost file: the input, and any wave
// of the chosen name, stay as they were.
class ConversionFault : public ::testing::Test {
 protected:
  void SetUp() override {
    Input = test::RandomMzf(200, 200, 11);
    Folder.Write("in.mzf", Input);
    User.InputFile = Folder.PathOf("in.mzf");
    User.OutputFile = Folder.PathOf("out.wav");
    User.BoxText = {"4", "2", "5", "3"};
    User.LeadGap = 10;
    User.Gap = 20;
  }

  // A wave from an earlier run under the chosen name.
  std::vector<std::uint8_t> PlaceEarlierWave() {
    const auto Earlier = expected::WaveFile({0x30, 0xD0, 0x30});
    Folder.Write("out.wav", Earlier);
    return Earlier;
  }

  void ExpectInputUnchanged() { EXPECT_EQ(ReadFile(Folder.PathOf("in.mzf")), Input); }

  // After a failure once the run had started: the button is back, the boxes
  // show the user's values, no temporary file is left.
  void ExpectCleanedUp(const std::vector<std::string>& Names) {
    EXPECT_TRUE(User.StartEnabled);
    EXPECT_EQ(User.Calls.back(), "SetStartEnabled:1");
    EXPECT_EQ(User.BoxValues(), (Boxes{4, 2, 5, 3}));
    EXPECT_EQ(Folder.Names(), Names);
    ExpectInputUnchanged();
  }

  TScratchFolder Folder;
  std::unique_ptr<TConversionRun> Run = std::make_unique<TConversionRun>();
  TScriptedUser User;
  std::vector<std::uint8_t> Input;
};

TEST_F(ConversionFault, BadSettingsAreRefusedBeforeTheOpenDialog) {
  struct TCase {
    std::int32_t Lead, Body;
    std::array<std::string, 4> Boxes;
    std::string Message;
  };
  const TCase Cases[] = {
      {-1, 20, {"4", "2", "5", "3"}, "Gap length must not be negative"},
      {10, -1, {"4", "2", "5", "3"}, "Gap length must not be negative"},
      {-5000, -5000, {"4", "2", "5", "3"}, "Gap length must not be negative"},
      {10,
       20,
       {"4", "2", "4", "2"},
       "Log. 0 and log. 1 pulses are the same (4 + 2 samples): no machine can tell the bits apart"},
      // Text that is no number reads as 1 in both.
      {10,
       20,
       {"1", "x", "", "1"},
       "Log. 0 and log. 1 pulses are the same (1 + 1 samples): no machine can tell the bits apart"},
  };
  for (const TCase& Case : Cases) {
    TScriptedUser U = User;
    U.LeadGap = Case.Lead;
    U.Gap = Case.Body;
    U.BoxText = Case.Boxes;
    EXPECT_EQ(Run->Execute(U), TRunOutcome::Refused);
    EXPECT_EQ(U.Messages, std::vector<std::string>{Case.Message});
    EXPECT_EQ(U.CountOf("ChooseInputFile"), 0);
  }
  EXPECT_EQ(Folder.Names(), std::vector<std::string>{"in.mzf"});
}

TEST_F(ConversionFault, UnreadableInputEndsTheRunAfterItsMessage) {
  User.InputFile = Folder.PathOf("missing.mzf");
  EXPECT_EQ(Run->Execute(User), TRunOutcome::Refused);
  EXPECT_EQ(User.Messages, std::vector<std::string>{"Cannot read " + *User.InputFile +
                                                    ": No such file or directory"});
  EXPECT_EQ(User.CountOf("ChooseOutputFile"), 0);
  EXPECT_EQ(User.CountOf("SetStartEnabled"), 0);
  EXPECT_EQ(Folder.Names(), std::vector<std::string>{"in.mzf"});

  // A folder is no file to load either.
  fs::create_directory(Folder.PathOf("folder.mzf"));
  TScriptedUser U = User;
  U.Messages.clear();
  U.InputFile = Folder.PathOf("folder.mzf");
  EXPECT_EQ(Run->Execute(U), TRunOutcome::Refused);
  EXPECT_EQ(U.Messages,
            std::vector<std::string>{"Cannot read " + *U.InputFile + ": Is a directory"});
}

TEST_F(ConversionFault, EmptyBodyIsRefusedBeforeTheSaveDialog) {
  Input = test::RandomMzf(0, 50, 12);
  Folder.Write("in.mzf", Input);
  EXPECT_EQ(Run->Execute(User), TRunOutcome::Refused);
  EXPECT_EQ(User.Messages, std::vector<std::string>{"Body size in the file header is 0"});
  EXPECT_EQ(User.CountOf("ChooseOutputFile"), 0);
  EXPECT_EQ(Folder.Names(), std::vector<std::string>{"in.mzf"});
}

TEST_F(ConversionFault, OutputOver2GBIsRefusedBeforeTheSaveDialog) {
  // 110 million lead gap pulses of 20 samples each.
  User.LeadGap = 110'000'000;
  EXPECT_EQ(Run->Execute(User), TRunOutcome::Refused);
  EXPECT_EQ(User.Messages, std::vector<std::string>{"Output would be larger than 2 GB"});
  EXPECT_EQ(User.CountOf("ChooseOutputFile"), 0);
  EXPECT_EQ(Folder.Names(), std::vector<std::string>{"in.mzf"});
}

TEST_F(ConversionFault, OutputThatIsTheInputIsRefusedHoweverItIsNamed) {
  fs::create_symlink(Folder.PathOf("in.mzf"), Folder.PathOf("link.wav"));
  fs::create_hard_link(Folder.PathOf("in.mzf"), Folder.PathOf("hard.wav"));
  const std::string Spellings[] = {Folder.PathOf("in.mzf"), Folder.PathOf("./in.mzf"),
                                   Folder.PathOf("link.wav"), Folder.PathOf("hard.wav")};
  for (const std::string& Name : Spellings) {
    SCOPED_TRACE(Name);
    TScriptedUser U = User;
    U.OutputFile = Name;
    EXPECT_EQ(Run->Execute(U), TRunOutcome::Refused);
    EXPECT_EQ(U.Messages, std::vector<std::string>{"Output file must not be the input file"});
    EXPECT_EQ(U.CountOf("SetStartEnabled"), 0);
    ExpectInputUnchanged();
  }
  EXPECT_EQ(Folder.Names(), (std::vector<std::string>{"hard.wav", "in.mzf", "link.wav"}));
}

TEST_F(ConversionFault, OutputInAMissingFolderNamesTheChosenFile) {
  const std::string Chosen = Folder.PathOf("no such folder/out.wav");
  User.OutputFile = Chosen;
  try {
    Run->Execute(User);
    FAIL() << "no failure";
  } catch (const EFCreateError& Error) {
    EXPECT_EQ(Error.Message(), "Cannot create file " + Chosen + ": No such file or directory");
  }
  EXPECT_EQ(User.CountOf("WriteTiming"), 0);  // failed before the boxes changed
  ExpectCleanedUp({"in.mzf"});
}

TEST_F(ConversionFault, WriteFailureOnAFullDeviceIsReportedAndTheDeviceStays) {
  if (const std::string Reason = NoFullDevice(); !Reason.empty()) {
    GTEST_SKIP() << Reason;
  }
  User.OutputFile = "/dev/full";
  try {
    Run->Execute(User);
    FAIL() << "no failure";
  } catch (const EWriteError& Error) {
    EXPECT_EQ(Error.Message(), "Cannot write /dev/full: No space left on device");
  }
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  ExpectCleanedUp({"in.mzf"});
}

TEST_F(ConversionFault, FailureDuringTheLoaderPassPutsTheBoxesBack) {
  const auto Earlier = PlaceEarlierWave();
  User.OnProcessMessages = [](int Call) {
    if (Call == 1) {
      throw Exception("window closed");
    }
  };
  try {
    Run->Execute(User);
    FAIL() << "no failure";
  } catch (const Exception& Error) {
    EXPECT_EQ(Error.Message(), "window closed");
  }
  EXPECT_EQ(User.BoxesAtProcessMessages.at(0), (Boxes{9, 11, 18, 19}));
  EXPECT_EQ(ReadFile(Folder.PathOf("out.wav")), Earlier);
  ExpectCleanedUp({"in.mzf", "out.wav"});
}

TEST_F(ConversionFault, ReplacedWaveKeepsItsPermissionsAndLinksAreFollowed) {
  PlaceEarlierWave();
  fs::permissions(Folder.PathOf("out.wav"),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  fs::create_symlink(Folder.PathOf("out.wav"), Folder.PathOf("link.wav"));
  User.OutputFile = Folder.PathOf("link.wav");
  ASSERT_EQ(Run->Execute(User), TRunOutcome::Written);

  expected::Conversion C;
  C.User = {4, 2, 5, 3};
  C.LoaderGap = 10;
  C.BodyGap = 20;
  EXPECT_TRUE(fs::is_symlink(Folder.PathOf("link.wav")));
  EXPECT_TRUE(SameBytes(ReadFile(Folder.PathOf("out.wav")), expected::ConvertedFile(Input, C)));
  EXPECT_EQ(fs::status(Folder.PathOf("out.wav")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ExpectCleanedUp({"in.mzf", "link.wav", "out.wav"});
}

}  // namespace
}  // namespace kvetro
