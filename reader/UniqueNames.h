#pragma once

#include <set>
#include <string>

namespace kvetro {

// Hands out the names of the files of one run so that no two are the same:
// the first file called GAME keeps its name, later ones become GAME-2,
// GAME-3, skipping any that an earlier file already has. Names differing
// only in the case of ASCII letters count as the same, as they do in the
// file systems of Windows and macOS.
class TUniqueNames {
 public:
  // Stem is a safe name (reader/SafeFileName.h); so is the answer.
  std::string Claim(const std::string& Stem);

 private:
  std::set<std::string> FTaken;  // lower-cased
};

}  // namespace kvetro
