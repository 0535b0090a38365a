#include "tests/wave/TempFile.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace kvetro::test {

TTempFile::TTempFile() {
  std::random_device Seed;
  std::mt19937_64 Random(Seed() ^ static_cast<std::uint64_t>(
                                      std::chrono::steady_clock::now().time_since_epoch().count()));
  FName = (std::filesystem::temp_directory_path() /
           ("kvetro-wave-" + std::to_string(Random()) + ".wav"))
              .string();
}

TTempFile::~TTempFile() {
  std::error_code Ignored;
  std::filesystem::remove(FName, Ignored);
}

std::vector<std::uint8_t> TTempFile::Bytes() const {
  std::ifstream In(FName, std::ios::binary);
  return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

void TTempFile::Fill(const std::vector<std::uint8_t>& Bytes) const {
  std::ofstream Out(FName, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
}

bool TTempFile::Exists() const {
  return std::filesystem::exists(FName);
}

}  // namespace kvetro::test
