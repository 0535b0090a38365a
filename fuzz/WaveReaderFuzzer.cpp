// libFuzzer target: arbitrary bytes opened as a wave for reading, then
// seeked, read and overwritten in place (fuzz/WaveReadingCheck.h).
#include <cstdio>
#include <cstdlib>

#include "fuzz/WaveReadingCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string Problem = kvetro::CheckWaveReading(Data, Size);
  if (!Problem.empty()) {
    std::fprintf(stderr, "wave reader: %s\n", Problem.c_str());
    std::abort();
  }
  return 0;
}
