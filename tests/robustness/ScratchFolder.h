#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvetro::test {

using TBytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with
// everything in it when the test ends.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string Path(const std::string& Name) const;
  // The names in the folder, sorted; the way to see what a run left behind.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path FRoot;
};

void WriteFile(const std::string& Name, const TBytes& Bytes);
TBytes ReadFile(const std::string& Name);

// An MZF file: the header says BodySize, then Present body bytes that count
// up from 1 (so that a lost or shifted byte shows).
TBytes MakeMzf(std::uint16_t BodySize, std::size_t Present);

}  // namespace kvetro::test
