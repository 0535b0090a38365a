#include "cli/StreamedRead.h"

#include <cstdio>
#include <string>

#include "cli/CliApplication.h"
#include "cli/MzfKeeper.h"
#include "cli/MztKeeper.h"
#include "io/InterruptWatch.h"
#include "io/PlatformInputStream.h"
#include "reader/ReportText.h"
#include "reader/TapeReader.h"
#include "wave/ArrivingStream.h"

namespace kvetro {

namespace {

class TLiveReport : public TTapeObserver {
 public:
  TLiveReport(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors, bool Progress,
              TInterruptWatch& Interrupt)
      : FOut(Out),
        FErrors(Errors),
        FProgress(Progress),
        FKeeper(Settings, Out, FErrors),
        FInterrupt(Interrupt) {}

  void Started(const TTapeReport& Head) override { FOut << StreamStartText(Head) << std::flush; }
  void FileRead(const TFileReport& File, bool Inverted) override {
    ClearProgress();
    FOut << FileReportText(++FTold, File, Inverted) << std::flush;
    FKeeper.Keep(File);
  }
  bool Progress(double Seconds, double PeakDb) override {
    // A few times a second is enough to watch, and spares the terminal.
    constexpr double EverySeconds = 0.25;
    if (FProgress && Seconds - FLastShown >= EverySeconds) {
      FLastShown = Seconds;
      char Line[80];
      std::snprintf(Line, sizeof Line, "\r%s  %5.1f dB  %d file%s read whole\033[K",
                    RecordingTime(Seconds).c_str(), PeakDb, FTold, FTold == 1 ? "" : "s");
      FErrors << Line << std::flush;
      FShown = true;
    }
    return FInterrupt.Asked();
  }

  // The line is taken away before anything else is printed.
  void ClearProgress() {
    if (FShown) {
      FErrors << "\r\033[K" << std::flush;
      FShown = false;
    }
  }
  int Told() const { return FTold; }
  TMzfKeeper& Keeper() { return FKeeper; }

 private:
  std::ostream& FOut;
  std::ostream& FErrors;
  bool FProgress;
  bool FShown = false;
  double FLastShown = -1;
  int FTold = 0;
  TMzfKeeper FKeeper;
  TInterruptWatch& FInterrupt;
};

}  // namespace

int RunStreamedRead(const TReadSettings& Settings, std::ostream& Out, std::ostream& Errors,
                    bool Progress) {
  // Opened first: Ctrl+C while a named pipe waits for its writer simply ends
  // the run, as nothing has been read.
  TFileHandle Input = OpenInputStream(Settings.RecordingName);
  TInterruptWatch Interrupt;
  TArrivingStream Recording(std::move(Input), [&Interrupt] { return Interrupt.Asked(); });
  TLiveReport Live(Settings, Out, Errors, Progress, Interrupt);
  const TTapeReport Report =
      ReadTapeStream(Recording, Settings.RecordingName, Settings.Options, Live);
  Live.ClearProgress();
  Out << StreamEndText(Report, Live.Told()) << std::flush;
  for (std::size_t I = static_cast<std::size_t>(Live.Told()); I < Report.Files.size(); ++I) {
    Live.Keeper().Keep(Report.Files[I]);
  }
  const bool MztKept = Settings.MztName.empty() || KeepMzt(Settings, Report.Files, Out, Errors);
  return !Report.Files.empty() && Live.Keeper().AllWritten() && MztKept ? ExitWritten : ExitFailed;
}

}  // namespace kvetro
