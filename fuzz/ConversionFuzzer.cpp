// libFuzzer target: arbitrary MZF bytes with arbitrary settings in their
// allowed ranges, converted into a WAV in memory (fuzz/ConversionCheck.h).
#include <cstdio>
#include <cstdlib>

#include "fuzz/ConversionCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string Problem = kvetro::CheckConversion(kvetro::TConversionCase::Decode(Data, Size));
  if (!Problem.empty()) {
    std::fprintf(stderr, "conversion: %s\n", Problem.c_str());
    std::abort();
  }
  return 0;
}
