#include "wave/WaveFileStream.h"

#include <algorithm>

namespace kvetro {

TWaveFileStream::TWaveFileStream(const std::string& FileName, std::uint16_t Mode)
    : FFileStream(std::make_unique<TFileStream>(FileName, Mode)) {
  Attach(*FFileStream);
}

// The file stream member dies before the inherited destructor runs, so the
// header is completed and the file closed here, while both still exist.
TWaveFileStream::~TWaveFileStream() {
  CloseQuietly();
}

std::int32_t TWaveFileStream::GetDataSize() {
  if (FOpened && !FReadMode && DataPlaced()) {
    return std::max(FFileStream->KnownSize() - FDataOffset, 0);
  }
  return TWaveStream::GetDataSize();
}

void TWaveFileStream::Close() {
  try {
    TWaveStream::Close();
  } catch (...) {
    try {
      FFileStream->Close();
    } catch (...) {
      // The header's failure is the one to report.
    }
    throw;
  }
  FFileStream->Close();
}

}  // namespace kvetro
