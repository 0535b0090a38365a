#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "cli/ArgumentCheck.h"
#include "cli/NumberArgument.h"
#include "tape/ConversionSettings.h"

#ifndef KVETRO_VERSION
#define KVETRO_VERSION "unknown"
#endif

namespace kvetro {

namespace {

// A range that reaches as far as a setting goes has no upper end worth
// naming.
bool OpenEnded(TSettingRange Range) {
  return Range.Max == LargestSetting;
}

// As a usage error says it, both ends named: "from 1 to 128".
std::string RangeWords(TSettingRange Range) {
  return "from " + std::to_string(Range.Min) + " to " + std::to_string(Range.Max);
}

// What each value option takes, as its usage errors say it; the parser keeps
// it as the option's description.
std::string PulseWants() {
  return "LO,HI, two whole numbers " + RangeWords(PulseHalfRange);
}

std::string NumberWants(TSettingRange Range) {
  return "a whole number " + RangeWords(Range);
}

// As the help text says it: "1..128", "0 or more".
std::string RangeHint(TSettingRange Range) {
  if (OpenEnded(Range)) {
    return std::to_string(Range.Min) + " or more";
  }
  return std::to_string(Range.Min) + ".." + std::to_string(Range.Max);
}

// A line of the options' help with the default in brackets in its column.
std::string WithDefault(std::string Line, const std::string& Default) {
  constexpr std::size_t DefaultColumn = 70;
  Line.resize(std::max(Line.size() + 1, DefaultColumn), ' ');
  return Line + "[" + Default + "]\n";
}

std::string PulseDefault(std::int32_t Lo, std::int32_t Hi) {
  return std::to_string(Lo) + "," + std::to_string(Hi);
}

// The option texts as given; each is checked and converted after parsing so
// that every value error reads the same way.
// A value option: its text, and the option, which says what it wants.
struct TRawValue {
  std::string Text;
  const CLI::Option* Option = nullptr;

  std::optional<std::string> Given() const {
    return Option->count() > 0 ? std::optional<std::string>(Text) : std::nullopt;
  }
};

struct TRawOptions {
  TRawValue Zero;
  TRawValue One;
  TRawValue Constant;
  TRawValue LoaderGap;
  TRawValue BodyGap;
  TRawValue Rate;
  bool Standard = false;
  bool NoCopies = false;
  bool Invert = false;
  bool Info = false;
  std::vector<std::string> Files;
};

class TUsageError {
 public:
  explicit TUsageError(std::string Text) : FText(std::move(Text)) {}
  const std::string& Text() const { return FText; }

 private:
  std::string FText;
};

void SetPulse(const TRawValue& Value, std::int32_t& Lo, std::int32_t& Hi) {
  const std::optional<std::string> Text = Value.Given();
  if (!Text) {
    return;
  }
  const auto Halves = ParsePulseHalves(*Text, PulseHalfRange.Min, PulseHalfRange.Max);
  if (!Halves) {
    throw TUsageError(WantsText(*Value.Option, Quoted(*Text)));
  }
  Lo = Halves->Lo;
  Hi = Halves->Hi;
}

void SetNumber(const TRawValue& Value, TSettingRange Range, std::int32_t& Number) {
  const std::optional<std::string> Text = Value.Given();
  if (!Text) {
    return;
  }
  const auto Read = ParseDecimal(*Text, Range.Min, Range.Max);
  if (!Read) {
    throw TUsageError(WantsText(*Value.Option, Quoted(*Text)));
  }
  Number = *Read;
}

// The machine's own layout has no loader: the fast loader's settings do not
// apply to it, and its pulses start at the standard timing.
void SetLayout(const TRawOptions& Raw, TConversionSettings& Conversion) {
  if (Raw.NoCopies && !Raw.Standard) {
    throw TUsageError("--no-copies goes with --standard (the machine's own layout)");
  }
  if (!Raw.Standard) {
    return;
  }
  const std::pair<const TRawValue&, const char*> LoaderOptions[] = {
      {Raw.Constant, "--constant"}, {Raw.LoaderGap, "--loader-gap"}, {Raw.BodyGap, "--body-gap"}};
  for (const auto& [Value, Option] : LoaderOptions) {
    if (Value.Given()) {
      throw TUsageError(std::string(Option) +
                        " belongs to the fast loader; --standard writes the machine's own "
                        "layout, which has no loader");
    }
  }
  Conversion.Layout =
      Raw.NoCopies ? TTapeLayoutChoice::StandardNoCopies : TTapeLayoutChoice::Standard;
  Conversion.UserTiming = PulseTiming::Standard();
}

TCommandLine Interpret(const TRawOptions& Raw) {
  TCommandLine Line;
  TCliSettings& Settings = Line.Settings;
  SetLayout(Raw, Settings.Conversion);
  PulseTiming& Timing = Settings.Conversion.UserTiming;
  SetPulse(Raw.Zero, Timing.Log0Lo, Timing.Log0Hi);
  SetPulse(Raw.One, Timing.Log1Lo, Timing.Log1Hi);
  SetNumber(Raw.Constant, MonitorConstantRange, Settings.Conversion.MonitorConstant);
  SetNumber(Raw.LoaderGap, GapRange, Settings.Conversion.LoaderGap);
  SetNumber(Raw.BodyGap, GapRange, Settings.Conversion.BodyGap);
  SetNumber(Raw.Rate, SampleRateRange, Settings.Conversion.SampleRate);
  Settings.Conversion.InvertLevels = Raw.Invert;

  if (Raw.Info) {
    if (Raw.Files.size() != 1) {
      throw TUsageError("--info expects one file: INPUT.mzf");
    }
    Line.Kind = TCommandKind::Info;
    Settings.InputName = Raw.Files[0];
  } else {
    if (Raw.Files.size() != 2) {
      throw TUsageError("Expected two files: INPUT.mzf and OUTPUT.wav (or - for standard output)");
    }
    Line.Kind = TCommandKind::Convert;
    Settings.InputName = Raw.Files[0];
    Settings.OutputName = Raw.Files[1];
  }
  return Line;
}

// The options of `read` as given.
struct TRawReadOptions {
  TRawValue Out;
  TRawValue Channel;
  bool DryRun = false;
  bool Force = false;
  bool KeepBad = false;
  bool Invert = false;
  bool NoInvert = false;
  std::vector<std::string> Files;
};

TCommandLine InterpretRead(const TRawReadOptions& Raw) {
  TCommandLine Line;
  Line.Kind = TCommandKind::Read;
  Line.Hint = ReadUsageHint;
  TReadSettings& Read = Line.Read;
  if (const auto Folder = Raw.Out.Given()) {
    Read.OutFolder = *Folder;
  }
  SetNumber(Raw.Channel, ChannelRange, Read.Options.Channel);
  if (Raw.Invert && Raw.NoInvert) {
    throw TUsageError("--invert and --no-invert cannot be given together");
  }
  using TPolarity = TReadOptions::TPolarity;
  Read.Options.Polarity = Raw.Invert     ? TPolarity::Inverted
                          : Raw.NoInvert ? TPolarity::Normal
                                         : TPolarity::Either;
  Read.DryRun = Raw.DryRun;
  Read.Force = Raw.Force;
  Read.KeepBad = Raw.KeepBad;
  if (Raw.Files.size() != 1) {
    throw TUsageError("read expects one file: RECORDING.wav");
  }
  Read.RecordingName = Raw.Files[0];
  return Line;
}

// Checks the form, parses and interprets; every way out of the parser ends
// as a command line of its kind.
template <typename TInterpret>
TCommandLine Parse(CLI::App& App, const std::vector<std::string>& Arguments, TInterpret Interpreted,
                   const std::string& Help, const char* Hint) {
  TCommandLine Line;
  try {
    if (const auto Wrong = CheckArgumentForm(App, Arguments)) {
      throw TUsageError(*Wrong);
    }
    // CLI11 takes its arguments last first.
    std::vector<std::string> Reversed(Arguments.rbegin(), Arguments.rend());
    App.parse(Reversed);
    Line = Interpreted();
  } catch (const CLI::CallForHelp&) {
    Line.Kind = TCommandKind::Help;
    Line.Text = Help;
  } catch (const CLI::CallForVersion&) {
    Line.Kind = TCommandKind::Version;
    Line.Text = VersionText() + "\n";
  } catch (const CLI::ParseError& Error) {
    Line.Kind = TCommandKind::UsageError;
    Line.Text = Error.what();
  } catch (const TUsageError& Error) {
    Line.Kind = TCommandKind::UsageError;
    Line.Text = Error.Text();
  }
  Line.Hint = Hint;
  return Line;
}

TCommandLine ParseReadCommand(const std::vector<std::string>& Arguments) {
  TRawReadOptions Raw;
  CLI::App App("", "kvetro-cli read");
  App.allow_windows_style_options(false);
  App.set_help_flag("-h,--help");
  Raw.Out.Option = App.add_option("--out", Raw.Out.Text, "a folder")->type_name("DIR");
  Raw.Channel.Option =
      App.add_option("--channel", Raw.Channel.Text, NumberWants(ChannelRange))->type_name("N");
  App.add_flag("--dry-run", Raw.DryRun);
  App.add_flag("--force", Raw.Force);
  App.add_flag("--keep-bad", Raw.KeepBad);
  App.add_flag("--invert", Raw.Invert);
  App.add_flag("--no-invert", Raw.NoInvert);
  App.add_option("files", Raw.Files);
  return Parse(
      App, Arguments, [&Raw] { return InterpretRead(Raw); }, ReadHelpText(), ReadUsageHint);
}

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& Arguments) {
  if (!Arguments.empty() && Arguments.front() == ReadCommandName) {
    return ParseReadCommand({Arguments.begin() + 1, Arguments.end()});
  }
  TRawOptions Raw;
  CLI::App App("", "kvetro-cli");
  // File names such as /tmp/game.mzf are never options, on Windows either.
  App.allow_windows_style_options(false);
  App.set_help_flag("-h,--help");
  App.set_version_flag("-V,--version", VersionText());
  // Each value option's description is what it wants, as its errors say.
  Raw.Zero.Option = App.add_option("--zero", Raw.Zero.Text, PulseWants())->type_name("LO,HI");
  Raw.One.Option = App.add_option("--one", Raw.One.Text, PulseWants())->type_name("LO,HI");
  Raw.Constant.Option =
      App.add_option("--constant", Raw.Constant.Text, NumberWants(MonitorConstantRange))
          ->type_name("N");
  Raw.LoaderGap.Option =
      App.add_option("--loader-gap", Raw.LoaderGap.Text, NumberWants(GapRange))->type_name("N");
  Raw.BodyGap.Option =
      App.add_option("--body-gap", Raw.BodyGap.Text, NumberWants(GapRange))->type_name("N");
  Raw.Rate.Option =
      App.add_option("--rate", Raw.Rate.Text, NumberWants(SampleRateRange))->type_name("HZ");
  App.add_flag("--standard", Raw.Standard);
  App.add_flag("--no-copies", Raw.NoCopies);
  App.add_flag("--invert", Raw.Invert);
  App.add_flag("--info", Raw.Info);
  App.add_option("files", Raw.Files);
  return Parse(
      App, Arguments, [&Raw] { return Interpret(Raw); }, HelpText(), UsageHint);
}

std::string VersionText() {
  return std::string("kvetro-cli ") + KVETRO_VERSION;
}

std::string HelpText() {
  const std::string Half = RangeHint(PulseHalfRange);
  const std::string Gap = RangeHint(GapRange);
  const std::string Gaps = std::to_string(DefaultGap);
  return "Turns an MZF tape image of a Sharp MZ computer into an 8-bit mono WAV: a loader\n"
         "file at standard tape timing, then the body at a fast pulse timing (for the\n"
         "MZ-700's monitor); or, with --standard, the whole file as the machine's own SAVE\n"
         "writes it, which every MZ reads.\n"
         "\n"
         "Usage:\n"
         "  kvetro-cli [options] INPUT.mzf OUTPUT.wav\n"
         "  kvetro-cli --info [options] INPUT.mzf\n"
         "  kvetro-cli read [options] RECORDING.wav   (see 'kvetro-cli read --help')\n"
         "\n"
         "OUTPUT.wav may be - to write the WAV to standard output (not to a terminal).\n"
         "An existing OUTPUT.wav is replaced.\n"
         "\n"
         "Options (counts in samples at 44100 Hz; defaults in brackets):\n"
         "  --zero LO,HI     short pulse (bit 0): LO samples of 0x30, then HI of 0xD0;\n" +
         WithDefault("                   each " + Half,
                     PulseDefault(DefaultTiming.Log0Lo, DefaultTiming.Log0Hi)) +
         WithDefault("  --one LO,HI      long pulse (bit 1); each " + Half,
                     PulseDefault(DefaultTiming.Log1Lo, DefaultTiming.Log1Hi)) +
         "  --constant N     monitor constant that the loader writes to 0x0A4B,\n" +
         WithDefault("                   " + RangeHint(MonitorConstantRange),
                     std::to_string(DefaultMonitorConstant)) +
         WithDefault("  --loader-gap N   short pulses before the loader file, " + Gap, Gaps) +
         WithDefault("  --body-gap N     short pulses before each body, " + Gap, Gaps) +
         "  --standard       the machine's own tape layout (header and body, each with its\n"
         "                   copy) at the standard timing 9,11 / 18,19 unless --zero and\n"
         "                   --one say otherwise; no loader, so no --constant or gaps\n"
         "  --no-copies      with --standard: leave out the copies of header and body\n" +
         WithDefault("  --rate HZ        sample rate of the WAV, " + RangeHint(SampleRateRange) +
                         "; each half is",
                     std::to_string(DefaultSampleRate)) +
         "                   converted to the nearest whole number of samples there\n"
         "  --invert         swap the two sample levels, for players or cables that\n"
         "                   invert the signal\n"
         "  --info           print what INPUT holds and how long the sound would play;\n"
         "                   write nothing\n"
         "  -h, --help       show this text\n"
         "  -V, --version    show the version\n"
         "\n"
         "Exit status: 0 written, 1 refused or failed, 2 usage error.\n";
}

std::string ReadHelpText() {
  return "Reads a recording of Sharp MZ tapes (a WAV: from a cassette, the machine's tape\n"
         "output or Kvetro) back into MZF files, and says for every block how much room\n"
         "the machine has to read it right (its read window).\n"
         "\n"
         "Usage:\n"
         "  kvetro-cli read [options] RECORDING.wav\n"
         "\n"
         "Each file read whole is written as NAME.mzf, NAME being the file name in its\n"
         "header made safe; a second file of the same name as NAME-2.mzf, and so on.\n"
         "An existing file is kept (and reported) unless --force is given.\n"
         "\n"
         "Options:\n"
         "  --out DIR        the folder for the MZF files [the current folder]\n"
         "  --dry-run        print the report and what would be written; write nothing\n"
         "  --force          replace MZF files that exist\n"
         "  --keep-bad       write a file not read whole, as far as it was read, as\n"
         "                   NAME.bad.mzf\n" +
         WithDefault("  --channel N      read this channel, " + RangeHint(ChannelRange),
                     "the strongest") +
         "  --invert         the recording is upside down: falling edges start pulses\n"
         "  --no-invert      rising edges start pulses [both are tried]\n"
         "  -h, --help       show this text\n"
         "\n"
         "Exit status: 0 every file found was written whole (or would be, with\n"
         "--dry-run), 1 a file was not read whole or not written, no file was found, or\n"
         "the recording could not be read, 2 usage error.\n";
}

}  // namespace kvetro
