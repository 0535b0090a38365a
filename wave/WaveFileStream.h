#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wave/FileStream.h"
#include "wave/WaveStream.h"

namespace kvetro {

// A wave stream over a file stream of its own, which it makes on the file
// name and closes after the header has been completed. Nothing else moves
// that file stream, so writes at the end go straight to it.
class TWaveFileStream : public TWaveStream {
 public:
  // Raises what TFileStream raises when the file cannot be made or opened.
  TWaveFileStream(const std::string& FileName, std::uint16_t Mode);
  ~TWaveFileStream() override;

  // Completes the header, then closes the file. The first failure of either
  // is raised (EWriteError); the file is released in every case.
  void Close() override;

 protected:
  std::unique_ptr<TFileStream> FFileStream;
};

}  // namespace kvetro
