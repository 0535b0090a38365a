#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tape/ConversionPlan.h"

namespace kvetro::bench {

// One input of the benchmarks: the bytes of an MZF file and the settings it
// is converted with.
struct TBenchInput {
  std::string Name;
  std::vector<std::uint8_t> File;
  TConversionSettings Settings;
};

// The heaviest file there is: 65535 bytes whose header asks for a body of
// 65407 bytes, all 0xFF (every bit a long pulse), at the slowest timing the
// settings allow (the longest halves, the short pulse's HI one sample less),
// with the default gaps.
TBenchInput WorstCaseInput();

// The worst case's file in the machine's own layout, header and body each
// with its copy, at the standard timing (kvetro-cli --standard).
TBenchInput StandardWorstCaseInput();

// A 32 KiB program body of mixed bytes at the window's default settings.
TBenchInput TypicalInput();

// The worst case's file and timing with the body gap chosen so that the
// whole WAV file is as close to TargetFileBytes as the gap allows, for
// comparing the memory of short and long outputs made by the same path.
TBenchInput SizedInput(std::uint64_t TargetFileBytes);

// What converting the input writes: samples and the whole file.
TConversionPlan PlanOf(const TBenchInput& Input);

// Writes the file's bytes; raises std::runtime_error when that fails.
void WriteInputFile(const TBenchInput& Input, const std::string& FileName);

}  // namespace kvetro::bench
