#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

// An MZF file: the 128-byte header (type, name ended by 0x0D, body size,
// load and execution address, the rest zero) and then Body as it is, which
// may be shorter or longer than Size.
TBytes MzfFile(std::uint8_t Type, const std::string& Name, std::uint16_t Size, std::uint16_t Load,
               std::uint16_t Exec, const TBytes& Body);
// An MZF file whose size field matches a body of Size bytes counting up
// from Seed.
TBytes CountingMzf(std::uint16_t Size, std::uint8_t Seed = 0);

// The parts of a WAV file as the program writes it: the 46-byte header, then
// one byte per sample.
inline constexpr std::size_t WaveHeaderSize = 46;
std::uint32_t LittleEndian32(const TBytes& Bytes, std::size_t Offset);

}  // namespace kvetro::test
