#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvetro::test {

using TBytes = std::vector<std::uint8_t>;

// A fresh folder per test, removed with everything in it at the end. Files()
// holds the test's MZF and WAV files; Temp() is the program's TMPDIR.
class TScratch {
 public:
  TScratch();
  ~TScratch();
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;

  std::string File(const std::string& Name) const { return (FRoot / "files" / Name).string(); }
  const std::filesystem::path& Root() const { return FRoot; }
  std::filesystem::path Temp() const { return FRoot / "tmp"; }
  std::filesystem::path Captures() const { return FRoot / "captures"; }
  // The names in Files() and Temp(), sorted, to show what a run left.
  std::vector<std::string> FileNames() const;
  std::vector<std::string> TempNames() const;

 private:
  std::filesystem::path FRoot;
};

TBytes ReadBytes(const std::filesystem::path& Path);
void WriteBytes(const std::filesystem::path& Path, const TBytes& Bytes);

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
