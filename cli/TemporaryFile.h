#pragma once

#include <string>

namespace kvetro {

// An empty file of a fresh name in the system's folder for temporary files,
// removed again when the object ends, whatever happened to it in between.
class TTemporaryFile {
 public:
  // Raises EFCreateError when no such file can be made.
  TTemporaryFile();
  ~TTemporaryFile();
  TTemporaryFile(const TTemporaryFile&) = delete;
  TTemporaryFile& operator=(const TTemporaryFile&) = delete;

  const std::string& Name() const { return FName; }

 private:
  std::string FName;
};

}  // namespace kvetro
