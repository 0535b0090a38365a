#include "reader/UniqueNames.h"

#include <algorithm>
#include <cctype>

namespace kvetro {

namespace {

std::string Folded(std::string Name) {
  std::transform(Name.begin(), Name.end(), Name.begin(),
                 [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return Name;
}

}  // namespace

std::string TUniqueNames::Claim(const std::string& Stem) {
  std::string Name = Stem;
  for (int Number = 2; FTaken.count(Folded(Name)) > 0; ++Number) {
    Name = Stem + "-" + std::to_string(Number);
  }
  FTaken.insert(Folded(Name));
  return Name;
}

}  // namespace kvetro
