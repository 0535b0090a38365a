#pragma once

#include <string>

namespace kvetro {

// Where a conversion writes its output. A regular file (or a name that does
// not exist yet) is written under a temporary name in the same folder and
// moved over the chosen name only by Commit, so a failed run leaves the
// chosen name as it was; the temporary file is removed if Commit was never
// reached. Anything else, a device or a pipe, is written directly and never
// removed. A symbolic link is followed: the file it points to is replaced.
class TReplacingOutput {
 public:
  explicit TReplacingOutput(const std::string& ChosenName);
  ~TReplacingOutput();
  TReplacingOutput(const TReplacingOutput&) = delete;
  TReplacingOutput& operator=(const TReplacingOutput&) = delete;

  // The name to create and write.
  const std::string& WriteName() const { return FWriteName; }
  bool Temporary() const { return FTemporary; }

  // Puts the completely written file in place of the chosen one. Raises
  // EFCreateError naming the chosen file when it cannot be moved there.
  void Commit();

 private:
  std::string FChosenName;
  std::string FFinalName;
  std::string FWriteName;
  bool FTemporary = false;
  bool FCommitted = false;
};

}  // namespace kvetro
