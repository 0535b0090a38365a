// Reads a recording through the reader's core over a file stream, as
// `kvetro-cli read --dry-run` does, for timing and peak memory.
//
//   kvetro-bench-read RECORDING.wav
//
// prints one line: the files found and how many of them were read whole.
// Exit status 0 when every file was read whole, 1 otherwise.
#include <cstdio>
#include <exception>

#include "reader/TapeReader.h"
#include "wave/FileStream.h"

int main(int ArgumentCount, char* Arguments[]) {
  if (ArgumentCount != 2) {
    std::fprintf(stderr, "usage: kvetro-bench-read RECORDING.wav\n");
    return 2;
  }
  try {
    kvetro::TFileStream Recording(Arguments[1], kvetro::fmOpenRead);
    const kvetro::TTapeReport Report = kvetro::ReadTape(Recording, Arguments[1]);
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
