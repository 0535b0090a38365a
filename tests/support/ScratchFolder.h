#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvetro::test {

using TBytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, named after Purpose,
// removed with everything in it when the object goes (also when a test made
// it read-only).
class TScratchFolder {
 public:
  explicit TScratchFolder(const std::string& Purpose = "test");
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  const std::filesystem::path& Root() const { return FRoot; }
  // The name of Name in the folder; nothing is made.
  std::string PathOf(const std::string& Name) const;
  // Makes the folder Name inside this one and answers its path.
  std::filesystem::path MakeFolder(const std::string& Name) const;
  // Writes Bytes into the file Name and answers its path.
  std::string Write(const std::string& Name, const TBytes& Bytes) const;
  // The names in the folder, or in its folder Folder, sorted; the way to see
  // what a run left behind.
  std::vector<std::string> Names(const std::string& Folder = {}) const;

 private:
  std::filesystem::path FRoot;
};

// A whole file as bytes; throws std::runtime_error when it cannot be read.
TBytes ReadFile(const std::filesystem::path& Path);
// Replaces the file with Bytes; throws std::runtime_error on failure.
void WriteFile(const std::filesystem::path& Path, const TBytes& Bytes);

}  // namespace kvetro::test
