// Reads a recording through the reader's core over a file stream, as
// `kvetro-cli read --dry-run` does, for timing and peak memory.
//
//   kvetro-bench-read RECORDING.wav
//   kvetro-bench-read -          (a WAV on standard input, read as it comes)
//
// prints one line: the files found and how many of them were read whole.
// Exit status 0 when every file was read whole, 1 otherwise.
#include <cstdio>
#include <exception>
#include <string>

#include "io/PlatformInputStream.h"
#include "reader/TapeReader.h"
#include "wave/ArrivingStream.h"
#include "wave/FileStream.h"

namespace {

// Hears nothing: the files are counted from the report at the end.
class TQuiet : public kvetro::TTapeObserver {
 public:
  void Started(const kvetro::TTapeReport&) override {}
  void FileRead(const kvetro::TFileReport&, bool) override {}
  bool Progress(double, double) override { return false; }
};

kvetro::TTapeReport Read(const std::string& Name) {
  if (Name == "-") {
    kvetro::TArrivingStream Input(kvetro::OpenInputStream(Name));
    TQuiet Quiet;
    return kvetro::ReadTapeStream(Input, Name, {}, Quiet);
  }
  kvetro::TFileStream Recording(Name, kvetro::fmOpenRead);
  return kvetro::ReadTape(Recording, Name);
}

}  // namespace

int main(int ArgumentCount, char* Arguments[]) {
  if (ArgumentCount != 2) {
    std::fprintf(stderr, "usage: kvetro-bench-read RECORDING.wav\n");
    return 2;
  }
  try {
    const kvetro::TTapeReport Report = Read(Arguments[1]);
    int Whole = 0;
    for (const kvetro::TFileReport& File : Report.Files) {
      Whole += File.Whole ? 1 : 0;
    }
    std::printf("%zu %d\n", Report.Files.size(), Whole);
    return Report.AllWhole() ? 0 : 1;
  } catch (const std::exception& Error) {
    std::fprintf(stderr, "kvetro-bench-read: %s\n", Error.what());
    return 1;
  }
}
