#include "reader/ReadFileNames.h"

#include "reader/SafeFileName.h"
#include "reader/UniqueNames.h"

namespace kvetro {

std::vector<std::string> ReadFileNames(const std::vector<TFileReport>& Files) {
  TUniqueNames Names;
  std::vector<std::string> Stems;
  Stems.reserve(Files.size());
  for (const TFileReport& File : Files) {
    Stems.push_back(Names.Claim(SafeFileName(File.Name)));
  }
  return Stems;
}

}  // namespace kvetro
