// libFuzzer target: arbitrary bytes read as a recording of tapes, as a WAV
// file, as pulses or as samples (fuzz/TapeReadingCheck.h).
#include <cstdio>
#include <cstdlib>

#include "fuzz/TapeReadingCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string Problem = kvetro::CheckTapeReading(Data, Size);
  if (!Problem.empty()) {
    std::fprintf(stderr, "tape reader: %s\n", Problem.c_str());
    std::abort();
  }
  return 0;
}
