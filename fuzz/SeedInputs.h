#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvetro {

// A small starting corpus, made by our own code: waves written by our wave
// stream and bytes shaped by hand around the chunk walk, conversion cases
// around the header's body size, and recordings of tape files as pulses.
struct TSeed {
  std::string Name;  // says what the seed covers; also its file name
  std::vector<std::uint8_t> Bytes;
};

std::vector<TSeed> WaveReaderSeeds();
std::vector<TSeed> ConversionSeeds();
std::vector<TSeed> TapeReaderSeeds();

}  // namespace kvetro
