#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wave/FileStream.h"
#include "wave/WaveStream.h"

namespace kvetro {

// A wave stream over a file stream of its own, which it makes on the file
// name and closes after the header has been completed.
class TWaveFileStream : public TWaveStream {
 public:
  // Raises what TFileStream raises when the file cannot be made or opened.
  TWaveFileStream(const std::string& FileName, std::uint16_t Mode);
  ~TWaveFileStream() override;

  // The same answer as for any wave stream, asked of the file stream without
  // its three seeks: every sample write asks for it twice.
  std::int32_t GetDataSize() override;
  // Appending at the end of the data, as the encoder does with every pulse,
  // goes straight to the file stream: the general way would only clamp a
  // position that is already the end and seek the file to where it stands.
  std::int32_t Write(const void* Buffer, std::int32_t Count) override;

  // Completes the header, then closes the file. The first failure of either
  // is raised (EWriteError); the file is released in every case.
  void Close() override;

 protected:
  std::unique_ptr<TFileStream> FFileStream;
};

}  // namespace kvetro
