#include "cli/CliApplication.h"

#include <exception>
#include <memory>

#include "cli/CommandLine.h"
#include "cli/ReadCommand.h"
#include "cli/StandardOutput.h"
#include "cli/TerminalRefusal.h"
#include "io/Exception.h"
#include "io/PlatformFile.h"
#include "io/StreamErrors.h"
#include "tape/MzfInfo.h"
#include "tape/MzfInfoText.h"
#include "tape/MzfTape.h"
#include "tape/ReplacingOutput.h"
#include "tape/RunMessages.h"
#include "tape/TextObserver.h"

namespace kvetro {

TCliApplication::TCliApplication(std::ostream& Out, std::ostream& Errors, std::FILE* WaveOutput)
    : FOut(Out), FErrors(Errors), FWaveOutput(WaveOutput) {}

int TCliApplication::Run(const std::vector<std::string>& Arguments) {
  const TCommandLine Line = ParseCommandLine(Arguments);
  try {
    switch (Line.Kind) {
      case TCommandKind::Help:
      case TCommandKind::Version:
        FOut << Line.Text << std::flush;
        return ExitWritten;
      case TCommandKind::UsageError:
        FErrors << Line.Text << '\n' << Line.Hint << '\n';
        return ExitUsage;
      case TCommandKind::Info:
        return Describe(Line.Settings);
      case TCommandKind::Convert:
        return Convert(Line.Settings);
      case TCommandKind::Read:
        return RunReadCommand(Line.Read, FOut, FErrors);
    }
  } catch (const EWriteError& Error) {
    // A reader that closed its pipe ends the run at once and without a word,
    // as it ends cat; the exit status still says the WAV is not whole.
    if (!Error.ReaderGone()) {
      FErrors << Error.Message() << '\n';
    }
  } catch (const Exception& Error) {
    FErrors << Error.Message() << '\n';
  } catch (const std::exception& Error) {
    FErrors << Error.what() << '\n';
  }
  return ExitFailed;
}

int TCliApplication::Convert(const TCliSettings& Settings) {
  if (Settings.OutputName == StandardOutputName) {
    return ConvertToStandardOutput(Settings);
  }
  TFileOutputOpener Files;
  return ExecuteRun(Settings, Files);
}

int TCliApplication::ConvertToStandardOutput(const TCliSettings& Settings) {
  if (IsTerminal(FWaveOutput)) {
    FErrors << TerminalOutputText << '\n';
    return ExitFailed;
  }
  TStandardOutputOpener Output(FWaveOutput);
  return ExecuteRun(Settings, Output);
}

int TCliApplication::ExecuteRun(const TCliSettings& Settings, TOutputOpener& Outputs) {
  TTextObserver Observer(FErrors);
  TConversionRun Run(Settings.Conversion, Observer);
  const TRunOutcome Outcome = Run.Execute(Settings.InputNames, Settings.OutputName, Outputs);
  return Outcome == TRunOutcome::Written ? ExitWritten : ExitFailed;
}

int TCliApplication::Describe(const TCliSettings& Settings) {
  TMzfTape Tape;
  for (const std::string& Name : Settings.InputNames) {
    switch (Tape.AddFile(Name)) {
      case TMzfTape::TAddResult::Added:
        break;
      case TMzfTape::TAddResult::TooLarge:
        FErrors << InputTooLargeText(Name) << '\n';
        return ExitFailed;
      case TMzfTape::TAddResult::WaveFile:
        FErrors << WaveInputRefusal(Name) << '\n';
        return ExitFailed;
    }
  }
  const TTapeInfo Info = DescribeTape(Tape, Settings.Conversion);
  FOut << TapeInfoText(Info) << std::flush;
  for (const std::string& Warning : Info.Warnings) {
    FErrors << WarningPrefix << Warning << '\n';
  }
  if (Info.Refusal) {
    FErrors << *Info.Refusal << '\n';
    return ExitFailed;
  }
  return ExitWritten;
}

}  // namespace kvetro
