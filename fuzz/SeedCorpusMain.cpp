// Writes the seed corpus of both fuzzers: kvetro-fuzz-seeds WAVE_DIR CONVERSION_DIR TAPE_DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "fuzz/SeedInputs.h"

namespace {

bool WriteSeeds(const std::filesystem::path& Folder, const std::vector<kvetro::TSeed>& Seeds) {
  std::filesystem::create_directories(Folder);
  for (const kvetro::TSeed& Seed : Seeds) {
    std::ofstream File(Folder / Seed.Name, std::ios::binary | std::ios::trunc);
    File.write(reinterpret_cast<const char*>(Seed.Bytes.data()),
               static_cast<std::streamsize>(Seed.Bytes.size()));
    if (!File) {
      std::fprintf(stderr, "cannot write %s\n", (Folder / Seed.Name).string().c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: kvetro-fuzz-seeds WAVE_DIR CONVERSION_DIR TAPE_DIR\n");
    return 2;
  }
  const bool Done = WriteSeeds(argv[1], kvetro::WaveReaderSeeds()) &&
                    WriteSeeds(argv[2], kvetro::ConversionSeeds()) &&
                    WriteSeeds(argv[3], kvetro::TapeReaderSeeds());
  return Done ? 0 : 1;
}
