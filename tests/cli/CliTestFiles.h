#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/MzfBuilder.h"
#include "tests/support/ScratchFolder.h"

namespace kvetro::test {

// A fresh folder per test, removed with everything in it at the end. Files()
// holds the test's MZF and WAV files; Temp() is the program's TMPDIR.
class TScratch {
 public:
  TScratch();

  std::string File(const std::string& Name) const {
    return (FFolder.Root() / "files" / Name).string();
  }
  const std::filesystem::path& Root() const { return FFolder.Root(); }
  std::filesystem::path Temp() const { return FFolder.Root() / "tmp"; }
  std::filesystem::path Captures() const { return FFolder.Root() / "captures"; }
  // The names in Files() and Temp(), sorted, to show what a run left.
  std::vector<std::string> FileNames() const { return FFolder.Names("files"); }
  std::vector<std::string> TempNames() const { return FFolder.Names("tmp"); }

 private:
  TScratchFolder FFolder{"cli-test"};
};

// The parts of a WAV file as the program writes it: the 46-byte header, then
// one byte per sample.
inline constexpr std::size_t WaveHeaderSize = 46;

}  // namespace kvetro::test
