#include "reader/ReadFileNames.h"

#include "reader/SafeFileName.h"

namespace kvetro {

std::string TReadFileNamer::Next(const TFileReport& File) {
  return FNames.Claim(SafeFileName(File.Name));
}

std::vector<std::string> ReadFileNames(const std::vector<TFileReport>& Files) {
  TReadFileNamer Namer;
  std::vector<std::string> Stems;
  Stems.reserve(Files.size());
  for (const TFileReport& File : Files) {
    Stems.push_back(Namer.Next(File));
  }
  return Stems;
}

}  // namespace kvetro
