#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvetro {

// A fresh folder under the system's temporary folder, removed with all it
// holds when the object goes.
class TScratchFolder {
 public:
  TScratchFolder();
  ~TScratchFolder();
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string PathOf(const std::string& Name) const;
  std::string Write(const std::string& Name, const std::vector<std::uint8_t>& Bytes) const;
  // The names of the files in the folder, sorted.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path FPath;
};

std::vector<std::uint8_t> ReadWholeFile(const std::string& Name);

}  // namespace kvetro
