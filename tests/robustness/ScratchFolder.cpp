#include "ScratchFolder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kvetro::test {

TScratchFolder::TScratchFolder() {
  std::random_device Random;
  for (;;) {
    FRoot =
        std::filesystem::temp_directory_path() / ("kvetro-robustness-" + std::to_string(Random()));
    if (std::filesystem::create_directory(FRoot)) {
      break;
    }
  }
}

TScratchFolder::~TScratchFolder() {
  std::error_code Ignored;
  std::filesystem::permissions(FRoot, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, Ignored);
  std::filesystem::remove_all(FRoot, Ignored);
}

std::string TScratchFolder::Path(const std::string& Name) const {
  return (FRoot / Name).string();
}

std::vector<std::string> TScratchFolder::Names() const {
  std::vector<std::string> Names;
  for (const auto& Entry : std::filesystem::directory_iterator(FRoot)) {
    Names.push_back(Entry.path().filename().string());
  }
  std::sort(Names.begin(), Names.end());
  return Names;
}

void WriteFile(const std::string& Name, const TBytes& Bytes) {
  std::ofstream File(Name, std::ios::binary | std::ios::trunc);
  File.write(reinterpret_cast<const char*>(Bytes.data()),
             static_cast<std::streamsize>(Bytes.size()));
  if (!File) {
    throw std::runtime_error("cannot write " + Name);
  }
}

TBytes ReadFile(const std::string& Name) {
  std::ifstream File(Name, std::ios::binary);
  if (!File) {
    throw std::runtime_error("cannot read " + Name);
  }
  return TBytes(std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>());
}

TBytes MakeMzf(std::uint16_t BodySize, std::size_t Present) {
  TBytes Bytes(128 + Present, 0);
  Bytes[0] = 0x01;
  Bytes[0x12] = static_cast<std::uint8_t>(BodySize & 0xFF);
  Bytes[0x13] = static_cast<std::uint8_t>(BodySize >> 8);
  Bytes[0x15] = 0x12;  // load and execution address 0x1200
  Bytes[0x17] = 0x12;
  for (std::size_t I = 0; I < Present; ++I) {
    Bytes[128 + I] = static_cast<std::uint8_t>(I + 1);
  }
  return Bytes;
}

}  // namespace kvetro::test
