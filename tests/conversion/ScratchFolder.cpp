#include "ScratchFolder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace kvetro {

TScratchFolder::TScratchFolder() {
  std::random_device Seed;
  for (int Try = 0; Try < 100; ++Try) {
    const auto Candidate =
        std::filesystem::temp_directory_path() / ("kvetro-conversion-" + std::to_string(Seed()));
    if (std::filesystem::create_directory(Candidate)) {
      FPath = Candidate;
      return;
    }
  }
  throw std::runtime_error("no scratch folder");
}

TScratchFolder::~TScratchFolder() {
  std::error_code Ignored;
  std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, Ignored);
  std::filesystem::remove_all(FPath, Ignored);
}

std::string TScratchFolder::PathOf(const std::string& Name) const {
  return (FPath / Name).string();
}

std::string TScratchFolder::Write(const std::string& Name,
                                  const std::vector<std::uint8_t>& Bytes) const {
  const std::string Path = PathOf(Name);
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  if (!Out) {
    throw std::runtime_error("cannot write " + Path);
  }
  return Path;
}

std::vector<std::string> TScratchFolder::Names() const {
  std::vector<std::string> Result;
  for (const auto& Entry : std::filesystem::directory_iterator(FPath)) {
    Result.push_back(Entry.path().filename().string());
  }
  std::sort(Result.begin(), Result.end());
  return Result;
}

std::vector<std::uint8_t> ReadWholeFile(const std::string& Name) {
  std::ifstream In(Name, std::ios::binary);
  if (!In) {
    throw std::runtime_error("cannot read " + Name);
  }
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(In),
                                   std::istreambuf_iterator<char>());
}

}  // namespace kvetro
