#include "cli/CommandLine.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "cli/ArgumentCheck.h"
#include "cli/OptionTable.h"
#include "tape/ConversionSettings.h"
#include "tape/FastLoaderFile.h"
#include "tape/RunMessages.h"
#include "tape/TapeSignal.h"

#ifndef KVETRO_VERSION
#define KVETRO_VERSION "unknown"
#endif

namespace kvetro {

namespace {

// "3,1": a pulse as --zero and --one take it.
std::string PulseOption(std::int32_t Lo, std::int32_t Hi) {
  return std::to_string(Lo) + "," + std::to_string(Hi);
}

TConversionSettings& Conversion(TCommandLine& Line) {
  return Line.Settings.Conversion;
}

// The options of converting and describing an MZF file.
const TOptionTable& ConvertOptions() {
  static const TOptionTable Table = [] {
    const TConversionSettings Defaults;
    const PulseTiming Standard = PulseTiming::Standard();
    const std::string Gap = RangeHint(GapRange);
    const std::string Half = RangeHint(PulseHalfRange);
    return TOptionTable{
        {.Name = "--zero",
         .Kind = TOptionKind::Pulse,
         .ValueName = "LO,HI",
         .Range = PulseHalfRange,
         .Help = {"short pulse (bit 0): LO samples of " + HexText(TSampleLevels{}.Lo, 2) +
                      ", then HI of " + HexText(TSampleLevels{}.Hi, 2) + ";",
                  "each " + Half},
         .Default = PulseOption(Defaults.UserTiming.Log0Lo, Defaults.UserTiming.Log0Hi),
         .DefaultLine = 1,
         .Set =
             [](TCommandLine& Line, const TOptionValue& Value) {
               Conversion(Line).UserTiming.Log0Lo = Value.Halves.Lo;
               Conversion(Line).UserTiming.Log0Hi = Value.Halves.Hi;
             }},
        {.Name = "--one",
         .Kind = TOptionKind::Pulse,
         .ValueName = "LO,HI",
         .Range = PulseHalfRange,
         .Help = {"long pulse (bit 1); each " + Half},
         .Default = PulseOption(Defaults.UserTiming.Log1Lo, Defaults.UserTiming.Log1Hi),
         .Set =
             [](TCommandLine& Line, const TOptionValue& Value) {
               Conversion(Line).UserTiming.Log1Lo = Value.Halves.Lo;
               Conversion(Line).UserTiming.Log1Hi = Value.Halves.Hi;
             }},
        {.Name = "--constant",
         .Kind = TOptionKind::Number,
         .ValueName = "N",
         .Range = MonitorConstantRange,
         .Help = {"monitor constant that the loader writes to " +
                      HexText(MonitorConstantAddress, 4) + ",",
                  RangeHint(MonitorConstantRange)},
         .Default = std::to_string(Defaults.MonitorConstant),
         .DefaultLine = 1,
         .LoaderOnly = true,
         .Set = [](TCommandLine& Line,
                   const TOptionValue& Value) { Conversion(Line).MonitorConstant = Value.Number; }},
        {.Name = "--loader-gap",
         .Kind = TOptionKind::Number,
         .ValueName = "N",
         .Range = GapRange,
         .Help = {"short pulses before the loader file, " + Gap},
         .Default = std::to_string(Defaults.LoaderGap),
         .LoaderOnly = true,
         .Set = [](TCommandLine& Line,
                   const TOptionValue& Value) { Conversion(Line).LoaderGap = Value.Number; }},
        {.Name = "--body-gap",
         .Kind = TOptionKind::Number,
         .ValueName = "N",
         .Range = GapRange,
         .Help = {"short pulses before each body, " + Gap},
         .Default = std::to_string(Defaults.BodyGap),
         .LoaderOnly = true,
         .Set = [](TCommandLine& Line,
                   const TOptionValue& Value) { Conversion(Line).BodyGap = Value.Number; }},
        // The machine's own layout has no loader, and its pulses start at the
        // standard timing.
        {.Name = "--standard",
         .Help = {"the machine's own tape layout (header and body, each with its",
                  "copy) at the standard timing " + PulseOption(Standard.Log0Lo, Standard.Log0Hi) +
                      " / " + PulseOption(Standard.Log1Lo, Standard.Log1Hi) + " unless --zero and",
                  "--one say otherwise; no loader, so no --constant or gaps"},
         .Set =
             [](TCommandLine& Line, const TOptionValue&) {
               Conversion(Line).Layout = TTapeLayoutChoice::Standard;
               Conversion(Line).UserTiming = PulseTiming::Standard();
             }},
        {.Name = "--no-copies",
         .Help = {"with --standard: leave out the copies of header and body"},
         .Set =
             [](TCommandLine& Line, const TOptionValue&) {
               Conversion(Line).Layout = TTapeLayoutChoice::StandardNoCopies;
             }},
        {.Name = "--rate",
         .Kind = TOptionKind::Number,
         .ValueName = "HZ",
         .Range = SampleRateRange,
         .Help = {"sample rate of the WAV, " + RangeHint(SampleRateRange) + "; each half is",
                  "converted to the nearest whole number of samples there"},
         .Default = std::to_string(Defaults.SampleRate),
         .Set = [](TCommandLine& Line,
                   const TOptionValue& Value) { Conversion(Line).SampleRate = Value.Number; }},
        {.Name = "--invert",
         .Help = {"swap the two sample levels, for players or cables that", "invert the signal"},
         .Set = [](TCommandLine& Line,
                   const TOptionValue&) { Conversion(Line).InvertLevels = true; }},
        {.Name = "--info",
         .Help = {"print the files that the INPUTs hold and how long the sound",
                  "would play; write nothing"},
         .Set = [](TCommandLine& Line, const TOptionValue&) { Line.Kind = TCommandKind::Info; }},
    };
  }();
  return Table;
}

const TOption& Named(const TOptionTable& Table, std::string_view Name) {
  return *std::find_if(Table.begin(), Table.end(),
                       [Name](const TOption& Option) { return Option.Name == Name; });
}

// The machine's own layout has no loader: the fast loader's settings do not
// apply to it.
void CheckLayout(const TParsedOptions& Parsed) {
  const TOptionTable& Table = ConvertOptions();
  const bool Standard = Parsed.Given(Named(Table, "--standard"));
  if (Parsed.Given(Named(Table, "--no-copies")) && !Standard) {
    throw TUsageError("--no-copies goes with --standard (the machine's own layout)");
  }
  if (!Standard) {
    return;
  }
  for (const TOption& Option : Table) {
    if (Option.LoaderOnly && Parsed.Given(Option)) {
      throw TUsageError(std::string(Option.Name) +
                        " belongs to the fast loader; --standard writes the machine's own "
                        "layout, which has no loader");
    }
  }
}

TCommandLine Interpret(const TParsedOptions& Parsed, const std::vector<std::string>& Files) {
  TCommandLine Line;
  Line.Kind = TCommandKind::Convert;
  CheckLayout(Parsed);
  Parsed.SetFlags(Line);
  Parsed.SetValues(Line);
  if (Line.Kind == TCommandKind::Info) {
    if (Files.empty()) {
      throw TUsageError("--info expects the files to describe: INPUT.mzf...");
    }
    Line.Settings.InputNames = Files;
  } else {
    if (Files.size() < 2) {
      throw TUsageError(
          "Expected INPUT.mzf (one or more) and then OUTPUT.wav (or - for standard output)");
    }
    Line.Settings.InputNames.assign(Files.begin(), Files.end() - 1);
    Line.Settings.OutputName = Files.back();
  }
  return Line;
}

TReadSettings& Read(TCommandLine& Line) {
  return Line.Read;
}

// The options of `read`.
const TOptionTable& ReadOptions() {
  static const TOptionTable Table = {
      {.Name = "--out",
       .Kind = TOptionKind::Text,
       .ValueName = "DIR",
       .Wants = "a folder",
       .Help = {"the folder for the MZF files, made when missing", "[the current folder]"},
       .Set = [](TCommandLine& Line,
                 const TOptionValue& Value) { Read(Line).OutFolder = Value.Text; }},
      {.Name = "--mzt",
       .Kind = TOptionKind::Text,
       .ValueName = "FILE",
       .Wants = "a file name",
       .Help = {"write every file read whole into one MZT file, in the order",
                "of the recording; the MZF files too only when --out is given"},
       .Set = [](TCommandLine& Line,
                 const TOptionValue& Value) { Read(Line).MztName = Value.Text; }},
      {.Name = "--dry-run",
       .Help = {"print the report and what would be written; write nothing"},
       .Set = [](TCommandLine& Line, const TOptionValue&) { Read(Line).DryRun = true; }},
      {.Name = "--force",
       .Help = {"replace MZF and MZT files that exist"},
       .Set = [](TCommandLine& Line, const TOptionValue&) { Read(Line).Force = true; }},
      {.Name = "--keep-bad",
       .Help = {"write a file not read whole, as far as it was read, as", "NAME.bad.mzf"},
       .Set = [](TCommandLine& Line, const TOptionValue&) { Read(Line).KeepBad = true; }},
      {.Name = "--channel",
       .Kind = TOptionKind::Number,
       .ValueName = "N",
       .Range = ChannelRange,
       .Help = {"read this channel, " + RangeHint(ChannelRange)},
       .Default = "the strongest",
       .Set = [](TCommandLine& Line,
                 const TOptionValue& Value) { Read(Line).Options.Channel = Value.Number; }},
      {.Name = "--invert",
       .Help = {"the recording is upside down: falling edges start pulses"},
       .Set =
           [](TCommandLine& Line, const TOptionValue&) {
             Read(Line).Options.Polarity = TReadOptions::TPolarity::Inverted;
           }},
      {.Name = "--no-invert",
       .Help = {"rising edges start pulses [both are tried]"},
       .Set =
           [](TCommandLine& Line, const TOptionValue&) {
             Read(Line).Options.Polarity = TReadOptions::TPolarity::Normal;
           }},
  };
  return Table;
}

TCommandLine InterpretRead(const TParsedOptions& Parsed, const std::vector<std::string>& Files) {
  TCommandLine Line;
  Line.Kind = TCommandKind::Read;
  Parsed.SetValues(Line);
  const TOptionTable& Table = ReadOptions();
  if (Parsed.Given(Named(Table, "--invert")) && Parsed.Given(Named(Table, "--no-invert"))) {
    throw TUsageError("--invert and --no-invert cannot be given together");
  }
  Parsed.SetFlags(Line);
  // --mzt alone asks for the MZT alone.
  const bool Mzt = Parsed.Given(Named(Table, "--mzt"));
  const bool Out = Parsed.Given(Named(Table, "--out"));
  if (Mzt && !Out && Line.Read.KeepBad) {
    throw TUsageError("--keep-bad writes MZF files, which --mzt writes only with --out DIR");
  }
  Line.Read.WriteMzfFiles = !Mzt || Out;
  if (Files.size() != 1) {
    throw TUsageError("read expects one file: RECORDING.wav");
  }
  Line.Read.RecordingName = Files[0];
  return Line;
}

// One command's parser, made from its table: checks the form, parses and
// interprets; every way out of the parser ends as a command line of its kind.
TCommandLine Parse(const std::vector<std::string>& Arguments, const TOptionTable& Table,
                   const char* Program, bool Version,
                   TCommandLine (*Interpreted)(const TParsedOptions&,
                                               const std::vector<std::string>&),
                   std::string (*Help)(), const char* Hint) {
  CLI::App App("", Program);
  // File names such as /tmp/game.mzf are never options, on Windows either.
  App.allow_windows_style_options(false);
  App.set_help_flag("-h,--help");
  if (Version) {
    App.set_version_flag("-V,--version", VersionText());
  }
  const TParsedOptions Parsed(App, Table);
  std::vector<std::string> Files;
  App.add_option("files", Files);

  TCommandLine Line;
  try {
    if (const auto Wrong = CheckArgumentForm(App, Arguments)) {
      throw TUsageError(*Wrong);
    }
    // CLI11 takes its arguments last first.
    std::vector<std::string> Reversed(Arguments.rbegin(), Arguments.rend());
    App.parse(Reversed);
    Line = Interpreted(Parsed, Files);
  } catch (const CLI::CallForHelp&) {
    Line.Kind = TCommandKind::Help;
    Line.Text = Help();  // made only when asked for
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

}  // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& Arguments) {
  if (!Arguments.empty() && Arguments.front() == ReadCommandName) {
    return Parse({Arguments.begin() + 1, Arguments.end()}, ReadOptions(), "kvetro-cli read", false,
                 InterpretRead, ReadHelpText, ReadUsageHint);
  }
  return Parse(Arguments, ConvertOptions(), "kvetro-cli", true, Interpret, HelpText, UsageHint);
}

std::string VersionText() {
  return std::string("kvetro-cli ") + KVETRO_VERSION;
}

std::string HelpText() {
  return "Turns an MZF tape image of a Sharp MZ computer into an 8-bit mono WAV: a loader\n"
         "file at standard tape timing, then the body at a fast pulse timing (for the\n"
         "MZ-700's monitor); or, with --standard, the whole file as the machine's own SAVE\n"
         "writes it, which every MZ reads.\n"
         "\n"
         "Usage:\n"
         "  kvetro-cli [options] INPUT.mzf... OUTPUT.wav\n"
         "  kvetro-cli --info [options] INPUT.mzf...\n"
         "  kvetro-cli read [options] RECORDING.wav   (see 'kvetro-cli read --help')\n"
         "\n"
         "Each INPUT is an MZF file (.mzf, .m12) or an MZT file: one or more MZF files back\n"
         "to back. With --standard the WAV holds every file of every INPUT in order, each\n"
         "as SAVE writes it, as for an interpreter and then the program that it loads;\n"
         "the fast loader takes one program.\n"
         "\n"
         "OUTPUT.wav may be - to write the WAV to standard output (not to a terminal).\n"
         "An existing OUTPUT.wav is replaced.\n"
         "\n"
         "Options (counts in samples at " +
         std::to_string(TimingSampleRate) + " Hz; defaults in brackets):\n" +
         OptionsHelp(ConvertOptions()) + HelpLine("-h, --help", "show this text") +
         HelpLine("-V, --version", "show the version") +
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
         "With --mzt they all go into one MZT file instead (and as MZF files too when\n"
         "--out is given); a file not read whole is named and left out of it.\n"
         "An existing file is kept (and reported) unless --force is given.\n"
         "RECORDING.wav may be - (standard input) or a named pipe: each file is then\n"
         "written as soon as it is read; the end of the input or Ctrl+C ends the reading.\n"
         "\n"
         "Options:\n" +
         OptionsHelp(ReadOptions()) + HelpLine("-h, --help", "show this text") +
         "\n"
         "Exit status: 0 every file found was written whole (or would be, with\n"
         "--dry-run), 1 a file was not read whole or not written, no file was found, or\n"
         "the recording could not be read, 2 usage error.\n";
}

}  // namespace kvetro
