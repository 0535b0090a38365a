#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kvetro::test {

// A file name in the temporary folder, unique to this object; the file is
// removed when the object goes.
class TTempFile {
 public:
  TTempFile();
  ~TTempFile();
  TTempFile(const TTempFile&) = delete;
  TTempFile& operator=(const TTempFile&) = delete;

  const std::string& Name() const { return FName; }
  std::vector<std::uint8_t> Bytes() const;
  void Fill(const std::vector<std::uint8_t>& Bytes) const;
  bool Exists() const;

 private:
  std::string FName;
};

}  // namespace kvetro::test
