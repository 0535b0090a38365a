// The arguments as the parser reads them, in-process.
#include <gtest/gtest.h>

#include "cli/CommandLine.h"
#include "cli/NumberArgument.h"

namespace kvetro {

namespace {

TEST(CommandLine, DefaultsAreTheWindows) {
  const TCommandLine Line = ParseCommandLine({"in.mzf", "out.wav"});
  ASSERT_EQ(Line.Kind, TCommandKind::Convert) << Line.Text;
  EXPECT_EQ(Line.Settings.Conversion.UserTiming, (PulseTiming{3, 1, 3, 2}));
  EXPECT_EQ(Line.Settings.Conversion.MonitorConstant, 1);
  EXPECT_EQ(Line.Settings.Conversion.LoaderGap, 5000);
  EXPECT_EQ(Line.Settings.Conversion.BodyGap, 5000);
  EXPECT_FALSE(Line.Settings.Conversion.InvertLevels);
  EXPECT_EQ(Line.Settings.InputNames, std::vector<std::string>{"in.mzf"});
  EXPECT_EQ(Line.Settings.OutputName, "out.wav");
}

TEST(CommandLine, EveryValueLandsInItsField) {
  const TCommandLine Line =
      ParseCommandLine({"--one", "7,8", "--zero=5,6", "--constant", "255", "--loader-gap", "0",
                        "--body-gap", "2147483647", "--invert", "a.mzf", "b.mzt", "-"});
  ASSERT_EQ(Line.Kind, TCommandKind::Convert) << Line.Text;
  EXPECT_EQ(Line.Settings.Conversion.UserTiming, (PulseTiming{5, 6, 7, 8}));
  EXPECT_EQ(Line.Settings.Conversion.MonitorConstant, 255);
  EXPECT_EQ(Line.Settings.Conversion.LoaderGap, 0);
  EXPECT_EQ(Line.Settings.Conversion.BodyGap, 2147483647);
  EXPECT_TRUE(Line.Settings.Conversion.InvertLevels);
  EXPECT_EQ(Line.Settings.InputNames, (std::vector<std::string>{"a.mzf", "b.mzt"}));
  EXPECT_EQ(Line.Settings.OutputName, "-");
}

TEST(CommandLine, ReadTakesOneRecordingAndItsOptions) {
  TCommandLine Line = ParseCommandLine({"read", "--out", "d", "--dry-run", "--force", "--keep-bad",
                                        "--channel", "2", "--invert", "rec.wav"});
  ASSERT_EQ(Line.Kind, TCommandKind::Read) << Line.Text;
  EXPECT_EQ(Line.Read.RecordingName, "rec.wav");
  EXPECT_EQ(Line.Read.OutFolder, "d");
  EXPECT_TRUE(Line.Read.DryRun && Line.Read.Force && Line.Read.KeepBad);
  EXPECT_EQ(Line.Read.Options.Channel, 2);
  EXPECT_EQ(Line.Read.Options.Polarity, TReadOptions::TPolarity::Inverted);
  EXPECT_TRUE(Line.Read.WriteMzfFiles);
  // --mzt alone writes the MZT alone.
  for (const auto& [Out, Mzfs] : {std::pair{"--out=d", true}, std::pair{"--force", false}}) {
    Line = ParseCommandLine({"read", "--mzt", "side.mzt", Out, "rec.wav"});
    EXPECT_EQ(Line.Read.MztName, "side.mzt");
    EXPECT_EQ(Line.Read.WriteMzfFiles, Mzfs) << Out;
  }
  Line = ParseCommandLine({"read", "--no-invert", "rec.wav"});
  EXPECT_EQ(Line.Read.Options.Polarity, TReadOptions::TPolarity::Normal);
  EXPECT_FALSE(Line.Read.DryRun || Line.Read.Force || Line.Read.KeepBad);
  EXPECT_EQ(ParseCommandLine({"read", "rec.wav"}).Read.Options.Polarity,
            TReadOptions::TPolarity::Either);
  EXPECT_EQ(ParseCommandLine({"read", "--help"}).Text, ReadHelpText());
  EXPECT_EQ(ParseCommandLine({"read", "-x", "a"}).Hint, std::string(ReadUsageHint));
}

TEST(CommandLine, InfoTakesTheFilesAndTheSettings) {
  const TCommandLine Line = ParseCommandLine({"--info", "--body-gap", "12", "in.mzf", "b.mzf"});
  ASSERT_EQ(Line.Kind, TCommandKind::Info) << Line.Text;
  EXPECT_EQ(Line.Settings.InputNames, (std::vector<std::string>{"in.mzf", "b.mzf"}));
  EXPECT_EQ(Line.Settings.Conversion.BodyGap, 12);
}

TEST(CommandLine, NamesAfterADoubleDashMayLookLikeOptions) {
  const TCommandLine Line = ParseCommandLine({"--", "--odd.mzf", "-x.wav"});
  ASSERT_EQ(Line.Kind, TCommandKind::Convert) << Line.Text;
  EXPECT_EQ(Line.Settings.InputNames, std::vector<std::string>{"--odd.mzf"});
  EXPECT_EQ(Line.Settings.OutputName, "-x.wav");
}

// Every usage error, of whatever option: which option, what it takes (a
// range with both ends) and what it got; an unknown option with the nearest
// known name. kvetro-cli prints the line with a hint to --help.
TEST(CommandLine, UsageErrorsSayWhatIsWanted) {
  const std::string Files =
      "Expected INPUT.mzf (one or more) and then OUTPUT.wav (or - for standard output)";
  const std::string Halves = " wants LO,HI, two whole numbers from 1 to 128, got ";
  const std::string Gap = " wants a whole number from 0 to 2147483647, got ";
  const std::string Constant = "--constant wants a whole number from 1 to 255, got ";
  const std::string Channel = "--channel wants a whole number from 1 to 65535, got ";
  const std::pair<std::vector<std::string>, std::string> Cases[] = {
      {{}, Files},
      {{"a"}, Files},
      {{"--info"}, "--info expects the files to describe: INPUT.mzf..."},
      // Unknown options, with the nearest name when one is near.
      {{"--speed", "9", "a", "b"}, "Unknown option --speed"},
      {{"-x", "a", "b"}, "Unknown option -x"},
      {{"--infoo", "a"}, "Unknown option --infoo; did you mean --info?"},
      {{"-info", "a"}, "Unknown option -info; did you mean --info?"},
      {{"--invret", "a", "b"}, "Unknown option --invret; did you mean --invert?"},
      {{"--body-gpa=3", "a", "b"}, "Unknown option --body-gpa; did you mean --body-gap?"},
      // A value missing, given twice, or given to a flag.
      {{"a", "b", "--body-gap"}, "--body-gap" + Gap + "nothing"},
      {{"--constant", "--info", "a"}, Constant + "nothing"},
      {{"--one=", "a", "b"}, "--one" + Halves + "nothing"},
      {{"--zero", "3,1", "--zero", "4,1", "a", "b"}, "--zero may be given only once"},
      {{"--invert=banana", "a", "b"}, "--invert takes no value, got 'banana'"},
      {{"--info=no", "a"}, "--info takes no value, got 'no'"},
      {{"--version=0", "a", "b"}, "--version takes no value, got '0'"},
      {{"-hx"}, "-h takes no value, got 'x'"},
      // Values out of their range or of the wrong form.
      {{"--zero", "0,1", "a", "b"}, "--zero" + Halves + "'0,1'"},
      {{"--zero", "3,129", "a", "b"}, "--zero" + Halves + "'3,129'"},
      {{"--zero", "3", "a", "b"}, "--zero" + Halves + "'3'"},
      {{"--one", "129,1", "a", "b"}, "--one" + Halves + "'129,1'"},
      {{"--one", "2,0", "a", "b"}, "--one" + Halves + "'2,0'"},
      {{"--constant", "0", "a", "b"}, Constant + "'0'"},
      {{"--constant", "256", "a", "b"}, Constant + "'256'"},
      {{"--loader-gap", "-1", "a", "b"}, "--loader-gap" + Gap + "'-1'"},
      {{"--loader-gap", "2147483648", "a", "b"}, "--loader-gap" + Gap + "'2147483648'"},
      {{"--body-gap=-1", "a", "b"}, "--body-gap" + Gap + "'-1'"},
      // A negative number is a value, not an option; a name as near to two
      // options as to one gets no guess.
      {{"--body-gap", "-9", "a", "b"}, "--body-gap" + Gap + "'-9'"},
      {{"--infer", "a"}, "Unknown option --infer"},
      // The read subcommand, in the same form.
      {{"read"}, "read expects one file: RECORDING.wav"},
      {{"read", "a", "b"}, "read expects one file: RECORDING.wav"},
      {{"read", "--mzt", "s.mzt", "--keep-bad", "a"},
       "--keep-bad writes MZF files, which --mzt writes only with --out DIR"},
      {{"read", "--channel", "0", "a"}, Channel + "'0'"},
      {{"read", "--channel=65536", "a"}, Channel + "'65536'"},
      {{"read", "a", "--out"}, "--out wants a folder, got nothing"},
      {{"read", "--froce", "a"}, "Unknown option --froce; did you mean --force?"},
      {{"read", "--standard", "a"}, "Unknown option --standard"},
      {{"read", "--dry-run=1", "a"}, "--dry-run takes no value, got '1'"},
      {{"read", "--invert", "--no-invert", "a"},
       "--invert and --no-invert cannot be given together"},
  };
  for (const auto& [Arguments, Text] : Cases) {
    const TCommandLine Line = ParseCommandLine(Arguments);
    EXPECT_EQ(Line.Kind, TCommandKind::UsageError) << Text;
    EXPECT_EQ(Line.Text, Text);
  }
}

TEST(CommandLine, HelpShowsEachRangeAndDefaultInItsColumn) {
  const std::string Help = HelpText();
  for (const char* Line : {
           "                   each 1..128                                        [3,1]\n",
           "  --one LO,HI      long pulse (bit 1); each 1..128                    [3,2]\n",
           "                   1..255                                             [1]\n",
           "  --loader-gap N   short pulses before the loader file, 0 or more     [5000]\n",
           "  --body-gap N     short pulses before each body, 0 or more           [5000]\n",
       }) {
    EXPECT_NE(Help.find(Line), std::string::npos) << Line;
  }
}

TEST(NumberArgument, OnlyPlainDecimalsInRange) {
  EXPECT_EQ(ParseDecimal("010", 0, 100), 10) << "decimal, not octal";
  EXPECT_EQ(ParseDecimal("128", 1, 128), 128);
  EXPECT_EQ(ParseDecimal("129", 1, 128), std::nullopt);
  EXPECT_EQ(ParseDecimal("0", 1, 128), std::nullopt);
  for (const char* Bad : {"", "+5", "-5", " 5", "5 ", "5a", "0x5", "1e3", "99999999999999999999"}) {
    EXPECT_EQ(ParseDecimal(Bad, 0, 2147483647), std::nullopt) << "'" << Bad << "'";
  }
  const auto Halves = ParsePulseHalves("12,34", 1, 128);
  ASSERT_TRUE(Halves);
  EXPECT_EQ(Halves->Lo, 12);
  EXPECT_EQ(Halves->Hi, 34);
  for (const char* Bad : {"12", "12,", ",34", "12,34,5", "12;34", "12, 34"}) {
    EXPECT_FALSE(ParsePulseHalves(Bad, 1, 128)) << "'" << Bad << "'";
  }
}

}  // namespace

}  // namespace kvetro
