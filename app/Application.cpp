#include "app/Application.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/Form1.h"
#include "app/RecordingRead.h"
#include "io/InOutError.h"
#include "io/PlatformInputFile.h"

#ifndef KVETRO_VERSION
#define KVETRO_VERSION "unknown"
#endif

namespace kvetro {

namespace {

constexpr char kHelp[] =
    "Opens the window that turns an MZF tape image of a Sharp MZ computer into a\n"
    "WAV to play into the machine, and reads recordings of tapes back. The first\n"
    "press of its start button converts FILE.mzf without asking for it; a WAV\n"
    "(RECORDING.wav) is read back at once. kvetro-cli does the same on the command\n"
    "line.\n"
    "\n"
    "  -h, --help     show this text\n"
    "  -V, --version  show the version\n"
    "\n"
    "Exit status: 0 when the window is closed, 1 when FILE.mzf cannot be read,\n"
    "2 for a usage error.\n";

constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;

// What the arguments ask for before any window exists: the help, the
// version, or a usage error end the program at once, without a display. The
// answer is the exit status, or nothing when the window is to open.
std::optional<int> AnswerArguments(const std::vector<std::string>& Arguments,
                                   std::optional<std::string>& File) {
  std::vector<std::string> Files;
  bool OptionsEnded = false;
  for (const std::string& Argument : Arguments) {
    if (!OptionsEnded && Argument.size() > 1 && Argument.front() == '-') {
      if (Argument == "--") {
        OptionsEnded = true;
      } else if (Argument == "-h" || Argument == "--help") {
        std::fputs(ApplicationUsage, stdout);
        std::fputs(kHelp, stdout);
        return 0;
      } else if (Argument == "-V" || Argument == "--version") {
        std::fputs("kvetro " KVETRO_VERSION "\n", stdout);
        return 0;
      } else {
        std::fprintf(stderr, "Unknown option %s\n%s", Argument.c_str(), ApplicationUsage);
        return kExitUsage;
      }
      continue;
    }
    Files.push_back(Argument);
  }
  if (Files.size() > 1) {
    std::fputs(ApplicationUsage, stderr);
    return kExitUsage;
  }
  if (!Files.empty()) {
    // Asked now, so that a wrong name is told at once and not at the first
    // press; what the file holds is the run's to judge.
    try {
      static_cast<void>(ReadFileStart(Files.front(), 0));
    } catch (const EInOutError& Error) {
      std::fprintf(stderr, "%s\n", Error.Message().c_str());
      return kExitRefused;
    }
    File = Files.front();
  }
  return std::nullopt;
}

}  // namespace

int RunApplication(int ArgumentCount, char* Arguments[]) {
  std::optional<std::string> File;
  const std::vector<std::string> Given(Arguments + (ArgumentCount > 0 ? 1 : 0),
                                       Arguments + ArgumentCount);
  if (const std::optional<int> Exit = AnswerArguments(Given, File)) {
    return *Exit;
  }
  // Only the program path reaches Qt, so that no argument changes anything.
  char FallbackPath[] = "kvetro";
  int QtArgumentCount = 1;
  char* QtArguments[] = {ArgumentCount > 0 ? Arguments[0] : FallbackPath, nullptr};
  QApplication Application(QtArgumentCount, QtArguments);
  QApplication::setApplicationName(QString::fromUtf8(ApplicationTitle));

  TForm1 Form1;
  if (File) {
    // Made absolute now: the save dialog suggests a name in the file's folder.
    const QString Path = QFileInfo(QFile::decodeName(File->c_str())).absoluteFilePath();
    if (TRecordingRead::IsRecording(Path)) {
      // Once the window is on the screen, so that the reading shows over it.
      QTimer::singleShot(0, &Form1, [&Form1, Path] { Form1.ReadRecording(Path); });
    } else {
      Form1.OpenWith(Path);
    }
  }
  Form1.show();
  return QApplication::exec();
}

}  // namespace kvetro
