#include "tests/support/ScratchFolder.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

namespace kvetro::test {

TScratchFolder::TScratchFolder(const std::string& Purpose) {
  std::random_device Seed;
  std::mt19937_64 Random(Seed());
  for (int Attempt = 0; Attempt < 100; ++Attempt) {
    const auto Candidate = std::filesystem::temp_directory_path() /
                           ("kvetro-" + Purpose + "-" + std::to_string(Random()));
    if (std::filesystem::create_directory(Candidate)) {
      FRoot = Candidate;
      return;
    }
  }
  throw std::runtime_error("no scratch folder for " + Purpose);
}

TScratchFolder::~TScratchFolder() {
  std::error_code Ignored;
  std::filesystem::permissions(FRoot, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, Ignored);
  std::filesystem::remove_all(FRoot, Ignored);
}

std::string TScratchFolder::PathOf(const std::string& Name) const {
  return (FRoot / Name).string();
}

std::filesystem::path TScratchFolder::MakeFolder(const std::string& Name) const {
  const auto Folder = FRoot / Name;
  std::filesystem::create_directories(Folder);
  return Folder;
}

std::string TScratchFolder::Write(const std::string& Name, const TBytes& Bytes) const {
  const std::string Path = PathOf(Name);
  WriteFile(Path, Bytes);
  return Path;
}

std::vector<std::string> TScratchFolder::Names(const std::string& Folder) const {
  std::vector<std::string> Result;
  for (const auto& Entry : std::filesystem::directory_iterator(FRoot / Folder)) {
    Result.push_back(Entry.path().filename().string());
  }
  std::sort(Result.begin(), Result.end());
  return Result;
}

TBytes ReadFile(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  if (!In) {
    throw std::runtime_error("cannot read " + Path.string());
  }
  return TBytes(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

void WriteFile(const std::filesystem::path& Path, const TBytes& Bytes) {
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
  if (!Out) {
    throw std::runtime_error("cannot write " + Path.string());
  }
}

}  // namespace kvetro::test
